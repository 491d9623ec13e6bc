// Whether an installer may be run: its Authenticode signature must verify and its signer must be
// the operating-system vendor. Kept behind a small interface so the path that runs a trusted
// installer can be exercised without a vendor-signed file.
#pragma once

#include <string>

class IInstallerTrust {
 public:
  virtual ~IInstallerTrust() = default;
  virtual bool IsVendorSigned(const std::string& path) = 0;
};

// WinVerifyTrust (generic Authenticode policy, no user interface, no revocation look-up), then the
// signer's certificate chain must pass IsVendorCertificateChain.
class TAuthenticodeTrust : public IInstallerTrust {
 public:
  bool IsVendorSigned(const std::string& path) override;
};

// The name rule on a verified chain: the signing certificate's organisation is the vendor's and
// the chain ends in one of the vendor's own root authorities. The root matters: certificates in
// the vendor's name were once issued by another authority to someone else.
bool IsVendorCertificateChain(const std::string& signerOrganization,
                              const std::string& rootCommonName);
