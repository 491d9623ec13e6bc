#include "immunity/InstallerTrust.h"

#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>

#include "system/DllFunction.h"
#include "system/Text.h"

namespace {

// wintrust and crypt32 are loaded only when an installer is checked.
struct TTrustApi {
  decltype(&::WinVerifyTrust) Verify =
      DllFunction<decltype(::WinVerifyTrust)>("wintrust.dll", "WinVerifyTrust");
  decltype(&::WTHelperProvDataFromStateData) ProvData =
      DllFunction<decltype(::WTHelperProvDataFromStateData)>("wintrust.dll",
                                                             "WTHelperProvDataFromStateData");
  decltype(&::WTHelperGetProvSignerFromChain) Signer =
      DllFunction<decltype(::WTHelperGetProvSignerFromChain)>("wintrust.dll",
                                                              "WTHelperGetProvSignerFromChain");
  decltype(&::WTHelperGetProvCertFromChain) Cert =
      DllFunction<decltype(::WTHelperGetProvCertFromChain)>("wintrust.dll",
                                                            "WTHelperGetProvCertFromChain");
  decltype(&::CertGetNameStringA) NameString =
      DllFunction<decltype(::CertGetNameStringA)>("crypt32.dll", "CertGetNameStringA");
  bool Loaded() const { return Verify && ProvData && Signer && Cert && NameString; }
};

std::string CertAttribute(const TTrustApi& api, PCCERT_CONTEXT cert, const char* oid) {
  char buf[256] = "";
  api.NameString(cert, CERT_NAME_ATTR_TYPE, 0, const_cast<char*>(oid), buf, sizeof buf);
  return buf;
}

// The signer's organisation and the chain's root name, from verified provider data.
bool ChainNames(const TTrustApi& api, HANDLE state, std::string& organization, std::string& root) {
  CRYPT_PROVIDER_DATA* data = api.ProvData(state);
  CRYPT_PROVIDER_SGNR* signer = data ? api.Signer(data, 0, FALSE, 0) : nullptr;
  if (!signer || signer->csCertChain < 2) return false;
  CRYPT_PROVIDER_CERT* leaf = api.Cert(signer, 0);
  CRYPT_PROVIDER_CERT* top = api.Cert(signer, signer->csCertChain - 1);
  if (!leaf || !leaf->pCert || !top || !top->pCert) return false;
  organization = CertAttribute(api, leaf->pCert, szOID_ORGANIZATION_NAME);
  root = CertAttribute(api, top->pCert, szOID_COMMON_NAME);
  return true;
}

}  // namespace

bool IsVendorCertificateChain(const std::string& signerOrganization,
                              const std::string& rootCommonName) {
  static const char* const kRoots[] = {
      "Microsoft Root Authority", "Microsoft Root Certificate Authority",
      "Microsoft Root Certificate Authority 2010", "Microsoft Root Certificate Authority 2011"};
  if (signerOrganization != "Microsoft Corporation") return false;
  for (const char* root : kRoots)
    if (rootCommonName == root) return true;
  return false;
}

bool TAuthenticodeTrust::IsVendorSigned(const std::string& path) {
  const TTrustApi api;
  if (!api.Loaded()) return false;  // nothing can be verified: not trusted
  const std::wstring file = WideFrom(path);
  WINTRUST_FILE_INFO fileInfo{};
  fileInfo.cbStruct = sizeof fileInfo;
  fileInfo.pcwszFilePath = file.c_str();
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &fileInfo;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  // INVALID_HANDLE_VALUE as the window: never ask the user.
  const LONG status = api.Verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  bool trusted = false;
  if (status == ERROR_SUCCESS) {
    std::string organization, root;
    trusted = ChainNames(api, data.hWVTStateData, organization, root) &&
              IsVendorCertificateChain(organization, root);
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  api.Verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  return trusted;
}
