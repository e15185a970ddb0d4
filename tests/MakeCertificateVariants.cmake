# cmake -P script: installers signed with the demo publisher's key (so they
# pass the pin) under certificates or digests that must not count, each
# certificate issued by the demo code-signing CA unless named otherwise:
# Expired.exe (2010-2015), NotYetValid.exe (2040-2050), NotForCodeSigning.exe
# (a server certificate), Md5Digest.exe and Sha1Digest.exe, SelfSigned.exe
# (a certificate the key made for itself, for code signing, valid now); and
# Large.exe, soundly signed with 64 MB more to hash. openssl's `ca` sets the
# dates, which `x509 -req` cannot put in the past.
# Then the publisher's sound signature with something added that no digest
# covers: ExtraCertificate.exe (an unrelated certificate in the signature's
# set), UnauthenticatedBlob.exe (an unauthenticated attribute of the
# signer's), NestedByOther.exe and NestedByPublisher.exe (a nested
# signature by the other signer's key, or by the publisher's own); and
# Timestamped.exe, soundly signed and timestamped, and
# TimestampedByStranger.exe, timestamped under a self-certified time-stamping
# certificate.
# Arguments: OPENSSL OSSLSIGNCODE KEY CERT CA_CERT CA_KEY OTHER_CERT OTHER_KEY
# UNSIGNED OUT.
set(work ${OUT}/certificate-variants)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})
file(WRITE ${work}/ca.cnf "[ca]
default_ca = variants
[variants]
dir = ${work}
database = ${work}/index.txt
new_certs_dir = ${work}
rand_serial = yes
default_md = sha256
policy = any
unique_subject = no
email_in_dn = no
[any]
commonName = supplied
organizationName = optional
[codesign]
extendedKeyUsage = codeSigning
[serverauth]
extendedKeyUsage = serverAuth
[timestamping]
extendedKeyUsage = critical,timeStamping
")
file(WRITE ${work}/index.txt "")

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE errors)
  if(failed)
    message(FATAL_ERROR "${ARGV0} failed: ${errors}")
  endif()
endfunction()

run(${OPENSSL} req -new -key ${KEY} -subj "/CN=Quil Studios Demo Publisher/O=Quil Studios" -out ${work}/request.csr)

# certificate(<name> <extensions> <openssl ca date arguments>...)
function(certificate name extensions)
  run(${OPENSSL} ca -batch -config ${work}/ca.cnf -cert ${CA_CERT} -keyfile ${CA_KEY} -in ${work}/request.csr
    -out ${work}/${name}.pem -extensions ${extensions} -notext ${ARGN})
endfunction()

function(sign name cert digest)
  file(REMOVE ${OUT}/${name}.exe)
  run(${OSSLSIGNCODE} sign -certs ${cert} -key ${KEY} -h ${digest} -n "Rubbleton: Gravelpit"
    -in ${UNSIGNED} -out ${OUT}/${name}.exe)
endfunction()

certificate(expired codesign -startdate 20100101000000Z -enddate 20150101000000Z)
certificate(future codesign -startdate 20400101000000Z -enddate 20500101000000Z)
certificate(server serverauth -days 3650)
sign(Expired ${work}/expired.pem sha256)
sign(NotYetValid ${work}/future.pem sha256)
sign(NotForCodeSigning ${work}/server.pem sha256)
sign(Md5Digest ${CERT} md5)
sign(Sha1Digest ${CERT} sha1)
run(${OPENSSL} req -x509 -key ${KEY} -sha256 -days 3650 -subj "/CN=Quil Studios Demo Publisher/O=Quil Studios"
  -addext "extendedKeyUsage=codeSigning" -out ${work}/self-signed.pem)
sign(SelfSigned ${work}/self-signed.pem sha256)

# What a server could add to the publisher's signature without the key.
sign(signed-here ${CERT} sha256)
run(${OPENSSL} req -x509 -newkey rsa:2048 -nodes -keyout ${work}/extra.key -sha256 -days 3650
  -subj "/CN=Settings" -addext "1.3.6.1.4.1.99999.1=ASN1:UTF8String:InstallTo=Elsewhere"
  -out ${work}/extra.pem)
file(REMOVE ${OUT}/ExtraCertificate.exe ${OUT}/UnauthenticatedBlob.exe ${OUT}/NestedByOther.exe
  ${OUT}/NestedByPublisher.exe)
run(${OSSLSIGNCODE} sign -certs ${CERT} -key ${KEY} -ac ${work}/extra.pem -h sha256 -n "Rubbleton: Gravelpit"
  -in ${UNSIGNED} -out ${OUT}/ExtraCertificate.exe)
run(${OSSLSIGNCODE} add -addUnauthenticatedBlob -in ${OUT}/signed-here.exe -out ${OUT}/UnauthenticatedBlob.exe)
run(${OSSLSIGNCODE} sign -nest -certs ${OTHER_CERT} -key ${OTHER_KEY} -h sha256 -n "Rubbleton: Gravelpit"
  -in ${OUT}/signed-here.exe -out ${OUT}/NestedByOther.exe)
run(${OSSLSIGNCODE} sign -nest -certs ${CERT} -key ${KEY} -h sha512 -n "Rubbleton: Gravelpit"
  -in ${OUT}/signed-here.exe -out ${OUT}/NestedByPublisher.exe)
file(REMOVE ${OUT}/signed-here.exe)

# A sound signature with an RFC 3161 timestamp, made by osslsigncode itself
# with a time-stamping certificate the CA issued.
run(${OPENSSL} req -new -newkey rsa:2048 -nodes -keyout ${work}/tsa.key -subj "/CN=Quil Studios Demo Timestamps"
  -out ${work}/tsa.csr)
run(${OPENSSL} ca -batch -config ${work}/ca.cnf -cert ${CA_CERT} -keyfile ${CA_KEY} -in ${work}/tsa.csr
  -out ${work}/tsa.pem -extensions timestamping -notext -days 3650)
file(REMOVE ${OUT}/Timestamped.exe ${OUT}/TimestampedByStranger.exe)
run(${OSSLSIGNCODE} sign -certs ${CERT} -key ${KEY} -TSA-certs ${work}/tsa.pem -TSA-key ${work}/tsa.key -h sha256
  -n "Rubbleton: Gravelpit" -in ${UNSIGNED} -out ${OUT}/Timestamped.exe)
# The same with a time-stamping certificate that certified itself: anyone
# can make such a timestamp, and put what they like into it.
run(${OPENSSL} req -x509 -key ${work}/tsa.key -sha256 -days 3650 -subj "/CN=Stranger Timestamps"
  -addext "extendedKeyUsage=critical,timeStamping" -out ${work}/stranger-tsa.pem)
run(${OSSLSIGNCODE} sign -certs ${CERT} -key ${KEY} -TSA-certs ${work}/stranger-tsa.pem -TSA-key ${work}/tsa.key
  -h sha256 -n "Rubbleton: Gravelpit" -in ${UNSIGNED} -out ${OUT}/TimestampedByStranger.exe)

# Bytes appended before signing are covered by the signature.
string(REPEAT "P" 1048576 megabyte)
configure_file(${UNSIGNED} ${work}/large-unsigned.exe COPYONLY)
foreach(i RANGE 1 64)
  file(APPEND ${work}/large-unsigned.exe "${megabyte}")
endforeach()
file(REMOVE ${OUT}/Large.exe)
run(${OSSLSIGNCODE} sign -certs ${CERT} -key ${KEY} -h sha256 -n "Rubbleton: Gravelpit"
  -in ${work}/large-unsigned.exe -out ${OUT}/Large.exe)
file(REMOVE ${work}/large-unsigned.exe)
