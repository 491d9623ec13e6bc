#include "immunity/InstallerTrust.h"

#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>

namespace {

std::string CertAttribute(PCCERT_CONTEXT cert, const char* oid) {
  char buf[256] = "";
  CertGetNameStringA(cert, CERT_NAME_ATTR_TYPE, 0, const_cast<char*>(oid), buf, sizeof buf);
  return buf;
}

std::wstring Widen(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring w(n > 0 ? n : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, w.data(), n);
  return w;
}

// The signer's organisation and the chain's root name, from verified provider data.
bool ChainNames(HANDLE state, std::string& organization, std::string& root) {
  CRYPT_PROVIDER_DATA* data = WTHelperProvDataFromStateData(state);
  CRYPT_PROVIDER_SGNR* signer = data ? WTHelperGetProvSignerFromChain(data, 0, FALSE, 0) : nullptr;
  if (!signer || signer->csCertChain < 2) return false;
  CRYPT_PROVIDER_CERT* leaf = WTHelperGetProvCertFromChain(signer, 0);
  CRYPT_PROVIDER_CERT* top = WTHelperGetProvCertFromChain(signer, signer->csCertChain - 1);
  if (!leaf || !leaf->pCert || !top || !top->pCert) return false;
  organization = CertAttribute(leaf->pCert, szOID_ORGANIZATION_NAME);
  root = CertAttribute(top->pCert, szOID_COMMON_NAME);
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
  const std::wstring file = Widen(path);
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
  const LONG status = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  bool trusted = false;
  if (status == ERROR_SUCCESS) {
    std::string organization, root;
    trusted = ChainNames(data.hWVTStateData, organization, root) &&
              IsVendorCertificateChain(organization, root);
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  return trusted;
}
