#include "SelfSignedCertificate.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

namespace {

// Long enough that a kept data folder does not go stale between uses.
constexpr long kValiditySeconds = 10L * 365 * 24 * 60 * 60;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertFree {
    void operator()(X509* cert) const { X509_free(cert); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;
using CertPtr = std::unique_ptr<X509, CertFree>;

bool ExistingPairIsUsable(const CertificateFiles& files) {
    FilePtr certFile(std::fopen(files.certificatePath.c_str(), "rb"));
    FilePtr keyFile(std::fopen(files.keyPath.c_str(), "rb"));
    if (!certFile || !keyFile) return false;
    CertPtr cert(PEM_read_X509(certFile.get(), nullptr, nullptr, nullptr));
    KeyPtr key(PEM_read_PrivateKey(keyFile.get(), nullptr, nullptr, nullptr));
    if (!cert || !key) return false;
    // An expired certificate would fail every handshake: make a new one.
    if (X509_cmp_current_time(X509_get0_notAfter(cert.get())) <= 0) return false;
    return X509_check_private_key(cert.get(), key.get()) == 1;
}

bool AddExtension(X509* cert, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (extension == nullptr) return false;
    const bool added = X509_add_ext(cert, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

CertPtr MakeCertificate(EVP_PKEY* key) {
    CertPtr cert(X509_new());
    if (!cert) return nullptr;
    X509_set_version(cert.get(), 2);  // X.509 v3, needed for the extensions
    // A random serial keeps a re-made certificate distinct from an old one.
    unsigned char serial[16];
    FilePtr random(std::fopen("/dev/urandom", "rb"));
    if (!random || std::fread(serial, 1, sizeof serial, random.get()) != sizeof serial) return nullptr;
    serial[0] &= 0x7F;
    BIGNUM* serialNumber = BN_bin2bn(serial, sizeof serial, nullptr);
    if (serialNumber == nullptr) return nullptr;
    const bool serialSet = BN_to_ASN1_INTEGER(serialNumber, X509_get_serialNumber(cert.get())) != nullptr;
    BN_free(serialNumber);
    if (!serialSet) return nullptr;

    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -60 * 60);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), kValiditySeconds);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>("Mirvak statistics service"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>("127.0.0.1"),
                               -1, -1, 0);
    X509_set_issuer_name(cert.get(), name);
    X509_set_pubkey(cert.get(), key);

    if (!AddExtension(cert.get(), NID_basic_constraints, "critical,CA:TRUE") ||
        !AddExtension(cert.get(), NID_key_usage, "critical,digitalSignature,keyCertSign") ||
        !AddExtension(cert.get(), NID_ext_key_usage, "serverAuth") ||
        !AddExtension(cert.get(), NID_subject_key_identifier, "hash") ||
        !AddExtension(cert.get(), NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost")) {
        return nullptr;
    }
    if (X509_sign(cert.get(), key, EVP_sha256()) == 0) return nullptr;
    return cert;
}

// The key file is created with owner-only permissions before anything is
// written into it.
bool WriteKey(const std::string& path, EVP_PKEY* key) {
    unlink(path.c_str());
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    FilePtr file(fdopen(fd, "wb"));
    if (!file) {
        close(fd);
        return false;
    }
    if (PEM_write_PrivateKey(file.get(), key, nullptr, nullptr, 0, nullptr, nullptr) != 1) return false;
    return std::fflush(file.get()) == 0;
}

bool WriteCertificate(const std::string& path, X509* cert) {
    FilePtr file(std::fopen(path.c_str(), "wb"));
    if (!file || PEM_write_X509(file.get(), cert) != 1) return false;
    return std::fflush(file.get()) == 0;
}

}  // namespace

bool EnsureSelfSignedCertificate(const std::string& folder, CertificateFiles& files, std::string& error) {
    files.certificatePath = folder + "/cert.pem";
    files.keyPath = folder + "/key.pem";
    if (ExistingPairIsUsable(files)) return true;

    KeyPtr key(EVP_EC_gen("P-256"));
    if (!key) {
        error = "cannot make a key";
        return false;
    }
    CertPtr cert = MakeCertificate(key.get());
    if (!cert) {
        error = "cannot make the certificate";
        return false;
    }
    if (!WriteKey(files.keyPath, key.get())) {
        error = "cannot write " + files.keyPath;
        return false;
    }
    if (!WriteCertificate(files.certificatePath, cert.get())) {
        error = "cannot write " + files.certificatePath;
        return false;
    }
    return true;
}
