# The signed and badly signed installers the signature tests use, in
# bin/signature-variants: the demo's game installer with its signature
# removed (Unsigned.exe) and signed by a second key whose certificate has the
# publisher's subject (OtherSigner.exe); signed with the publisher's key under
# certificates or digests that do not count, with something added to the
# signature that no digest covers, and a large one soundly signed
# (MakeCertificateVariants.cmake); and the demo publisher's certificate. The
# tests make the altered, truncated and grown ones from the signed bytes
# themselves. GSD_TEST_SIGNING_DEFINITIONS holds the keys the tests expect,
# as openssl computed them.
set(variants ${CMAKE_BINARY_DIR}/bin/signature-variants)
set(GSD_TEST_SIGNING_DEFINITIONS "")
if(GSD_DEMO_PUBLISHER_CERT AND TARGET GameInstaller)
  add_custom_command(OUTPUT ${variants}/Unsigned.exe ${variants}/OtherSigner.exe ${variants}/publisher.pem
    COMMAND ${CMAKE_COMMAND} -E make_directory ${variants}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${variants}/Unsigned.exe ${variants}/OtherSigner.exe
    COMMAND ${GSD_OSSLSIGNCODE} remove-signature -in $<TARGET_FILE:GameInstaller> -out ${variants}/Unsigned.exe
    COMMAND ${GSD_OSSLSIGNCODE} sign -certs ${GSD_OTHER_SIGNER_CERT} -key ${GSD_OTHER_SIGNER_KEY} -h sha256
      -n "Rubbleton: Gravelpit" -in ${variants}/Unsigned.exe -out ${variants}/OtherSigner.exe
    COMMAND ${CMAKE_COMMAND} -E copy ${GSD_DEMO_PUBLISHER_CERT} ${variants}/publisher.pem
    DEPENDS GameInstaller $<TARGET_FILE:GameInstaller> ${GSD_OTHER_SIGNER_CERT}
    COMMENT "Making the badly signed installers of the signature tests"
    VERBATIM)
  set(certificate_variants Expired NotYetValid NotForCodeSigning Md5Digest Sha1Digest SelfSigned Large
    ExtraCertificate UnauthenticatedBlob NestedByOther NestedByPublisher Timestamped
    TimestampedByStranger)
  list(TRANSFORM certificate_variants PREPEND ${variants}/)
  list(TRANSFORM certificate_variants APPEND .exe)
  add_custom_command(OUTPUT ${certificate_variants}
    COMMAND ${CMAKE_COMMAND} -DOPENSSL=${GSD_OPENSSL} -DOSSLSIGNCODE=${GSD_OSSLSIGNCODE}
      -DKEY=${GSD_DEMO_PUBLISHER_KEY} -DCERT=${GSD_DEMO_PUBLISHER_CERT} -DCA_CERT=${GSD_DEMO_SIGNING_CA}
      -DCA_KEY=${GSD_DEMO_SIGNING_CA_KEY} -DOTHER_CERT=${GSD_OTHER_SIGNER_CERT} -DOTHER_KEY=${GSD_OTHER_SIGNER_KEY}
      -DUNSIGNED=${variants}/Unsigned.exe
      -DOUT=${variants} -P ${CMAKE_CURRENT_LIST_DIR}/MakeCertificateVariants.cmake
    DEPENDS ${variants}/Unsigned.exe ${CMAKE_CURRENT_LIST_DIR}/MakeCertificateVariants.cmake
      ${GSD_DEMO_PUBLISHER_CERT} ${GSD_DEMO_SIGNING_CA} ${GSD_OTHER_SIGNER_CERT}
    COMMENT "Making the installers signed under certificates or digests that do not count"
    VERBATIM)
  add_custom_target(installer_variants
    DEPENDS ${variants}/Unsigned.exe ${variants}/OtherSigner.exe ${certificate_variants})
  set(GSD_TEST_SIGNING_DEFINITIONS
    GSD_TEST_PUBLISHER_KEY="${GSD_DEMO_PUBLISHER_SPKI}" GSD_TEST_OTHER_SIGNER_KEY="${GSD_OTHER_SIGNER_SPKI}")
endif()
