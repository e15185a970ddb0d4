# Who may have made the installers the program starts.
#
# DOWNLOAD_PUBLISHER_KEYS: the SHA-256, in hex, of the DER SubjectPublicKeyInfo
# of each of the publisher's code-signing certificates (several, so that a
# key can be rolled over), or ANY-TRUSTED-SIGNER (checked by cmake/BuildSettings.cmake).
#
# GSD_DEMO_PUBLISHER (the Windows presets): makes a demo code-signing CA, and
# a demo publisher's key with a certificate that CA issued, in the build tree,
# signs the demo's installers with it and pins it besides
# DOWNLOAD_PUBLISHER_KEYS. Never for a build that players get: the keys lie
# unprotected in the build tree. A pin narrows trust and never replaces it,
# so the demo and the tests make the CA a trusted root of their prefix
# (bin/demo-signing-ca.pem, with import_ca.exe). The CA also issues a second
# key a certificate with the same subject, which the tests sign with to prove
# that the subject alone gets nobody in.
#
# Sets GSD_PUBLISHER_KEYS (the pinned keys, lower case, comma-separated) and,
# with the demo publisher, GSD_DEMO_SIGNING_CA/CA_KEY, GSD_DEMO_PUBLISHER_CERT/
# KEY, GSD_DEMO_PUBLISHER_SPKI, GSD_OTHER_SIGNER_CERT/KEY and
# GSD_OTHER_SIGNER_SPKI; provides gsd_sign_program(<target>).

gsd_read_publisher_keys(gsd_pinned_keys gsd_any_trusted_signer)

function(gsd_signing_run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE errors)
  if(failed)
    message(FATAL_ERROR "openssl could not ${what}: ${errors}")
  endif()
endfunction()

# gsd_make_signing_ca(<cert-var> <key-var>)
# The demo's code-signing CA in the build tree, made once. A new CA removes
# the certificates an earlier one issued, so that they are issued anew.
function(gsd_make_signing_ca cert_var key_var)
  find_program(GSD_OPENSSL openssl REQUIRED)
  set(folder ${CMAKE_BINARY_DIR}/signing)
  set(cert ${folder}/demo-signing-ca.pem)
  set(key ${folder}/demo-signing-ca.key)
  file(MAKE_DIRECTORY ${folder})
  if(NOT EXISTS ${cert} OR NOT EXISTS ${key})
    file(GLOB issued ${folder}/*.pem)
    if(issued)
      file(REMOVE ${issued})
    endif()
    gsd_signing_run("make the demo code-signing CA"
      ${GSD_OPENSSL} req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650
        -subj "/CN=Quil Studios Demo Code Signing CA/O=Quil Studios"
        -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"
        -keyout ${key} -out ${cert})
  endif()
  file(WRITE ${folder}/code-signing.ext
    "basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n")
  set(${cert_var} ${cert} PARENT_SCOPE)
  set(${key_var} ${key} PARENT_SCOPE)
endfunction()

# gsd_make_signer(<name> <subject> <cert-var> <key-var> <spki-var>)
# A key and a code-signing certificate for it that the demo CA issued, in
# the build tree, made once; the SHA-256 of its DER SubjectPublicKeyInfo, as
# the README's openssl line computes it.
function(gsd_make_signer name subject cert_var key_var spki_var)
  set(folder ${CMAKE_BINARY_DIR}/signing)
  set(cert ${folder}/${name}.pem)
  set(key ${folder}/${name}.key)
  if(NOT EXISTS ${key})
    gsd_signing_run("make the ${name} key" ${GSD_OPENSSL} genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048
      -out ${key})
    file(REMOVE ${cert})
  endif()
  if(NOT EXISTS ${cert})
    gsd_signing_run("make the ${name} request"
      ${GSD_OPENSSL} req -new -key ${key} -subj ${subject} -out ${folder}/${name}.csr)
    gsd_signing_run("issue the ${name} certificate"
      ${GSD_OPENSSL} x509 -req -in ${folder}/${name}.csr -CA ${GSD_DEMO_SIGNING_CA} -CAkey ${GSD_DEMO_SIGNING_CA_KEY}
        -CAcreateserial -CAserial ${folder}/demo-signing-ca.srl -sha256 -days 3650
        -extfile ${folder}/code-signing.ext -out ${cert})
  endif()
  execute_process(
    COMMAND ${GSD_OPENSSL} x509 -in ${cert} -pubkey -noout
    COMMAND ${GSD_OPENSSL} pkey -pubin -outform DER -out ${folder}/${name}.spki.der
    RESULT_VARIABLE failed ERROR_VARIABLE errors)
  if(failed)
    message(FATAL_ERROR "openssl could not read the ${name} certificate's key: ${errors}")
  endif()
  file(SHA256 ${folder}/${name}.spki.der spki)
  set(${cert_var} ${cert} PARENT_SCOPE)
  set(${key_var} ${key} PARENT_SCOPE)
  set(${spki_var} ${spki} PARENT_SCOPE)
endfunction()

if(WIN32 AND GSD_DEMO_PUBLISHER)
  gsd_make_signing_ca(GSD_DEMO_SIGNING_CA GSD_DEMO_SIGNING_CA_KEY)
  # Beside the programs, where the tests and the demo find it to trust it.
  file(MAKE_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  file(COPY_FILE ${GSD_DEMO_SIGNING_CA} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/demo-signing-ca.pem ONLY_IF_DIFFERENT)
  set(demo_subject "/CN=Quil Studios Demo Publisher/O=Quil Studios")
  gsd_make_signer(demo-publisher "${demo_subject}" GSD_DEMO_PUBLISHER_CERT GSD_DEMO_PUBLISHER_KEY
                  GSD_DEMO_PUBLISHER_SPKI)
  gsd_make_signer(other-signer "${demo_subject}" GSD_OTHER_SIGNER_CERT GSD_OTHER_SIGNER_KEY GSD_OTHER_SIGNER_SPKI)
  list(APPEND gsd_pinned_keys ${GSD_DEMO_PUBLISHER_SPKI})
  find_program(GSD_OSSLSIGNCODE osslsigncode REQUIRED)
endif()

list(REMOVE_DUPLICATES gsd_pinned_keys)
list(JOIN gsd_pinned_keys "," GSD_PUBLISHER_KEYS)
# Only the program starts installers; the native builds have none.
if(WIN32)
  gsd_check_pinned_keys("${GSD_PUBLISHER_KEYS}" ${gsd_any_trusted_signer})
endif()

# gsd_sign_program(<target>): signs the target's program with the demo
# publisher's key after every link (nothing without GSD_DEMO_PUBLISHER).
function(gsd_sign_program target)
  if(NOT GSD_DEMO_PUBLISHER_CERT)
    return()
  endif()
  # A new key (a fresh build tree's) signs the program anew.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${GSD_DEMO_PUBLISHER_CERT} ${GSD_DEMO_PUBLISHER_KEY})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${GSD_OSSLSIGNCODE} sign -certs ${GSD_DEMO_PUBLISHER_CERT} -key ${GSD_DEMO_PUBLISHER_KEY} -h sha256
      -n "Rubbleton: Gravelpit" -in $<TARGET_FILE:${target}> -out $<TARGET_FILE:${target}>.signed
    COMMAND ${CMAKE_COMMAND} -E rename $<TARGET_FILE:${target}>.signed $<TARGET_FILE:${target}>
    COMMENT "Signing ${target} with the demo publisher's key"
    VERBATIM)
endfunction()
