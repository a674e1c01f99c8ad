// The service's own TLS identity: a self-signed certificate for the loopback
// names (IP 127.0.0.1 and DNS localhost) with its private key, made on first
// start and kept in the data folder. The installer trusts it by naming the
// certificate file as its CA bundle, so TLS peer verification stays on.
#pragma once

#include <string>

struct CertificateFiles {
    std::string certificatePath;  // PEM certificate, also the client's CA bundle
    std::string keyPath;          // PEM private key, readable by the owner only
};

// Loads the pair from the folder when both files are there and belong
// together; otherwise makes a new pair and writes it. False with a message
// in error when neither works.
bool EnsureSelfSignedCertificate(const std::string& folder, CertificateFiles& files, std::string& error);
