// Owners of the cryptography functions' handles: certificate chains, stores,
// contexts and decoded messages.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

#include "platform/UniqueResource.h"

namespace gsd {
namespace handle_traits {
struct Chain {
    using type = PCCERT_CHAIN_CONTEXT;
    static type invalid() noexcept { return nullptr; }
    static void close(type chain) noexcept { ::CertFreeCertificateChain(chain); }
};
struct CertificateStore {
    using type = HCERTSTORE;
    static type invalid() noexcept { return nullptr; }
    static void close(type store) noexcept { ::CertCloseStore(store, 0); }
};
struct Certificate {
    using type = PCCERT_CONTEXT;
    static type invalid() noexcept { return nullptr; }
    static void close(type certificate) noexcept { ::CertFreeCertificateContext(certificate); }
};
struct CryptMessage {
    using type = HCRYPTMSG;
    static type invalid() noexcept { return nullptr; }
    static void close(type message) noexcept { ::CryptMsgClose(message); }
};
} // namespace handle_traits

using unique_chain = UniqueResource<handle_traits::Chain>;
using unique_certstore = UniqueResource<handle_traits::CertificateStore>;
using unique_certificate = UniqueResource<handle_traits::Certificate>;
using unique_cryptmsg = UniqueResource<handle_traits::CryptMessage>;

} // namespace gsd
