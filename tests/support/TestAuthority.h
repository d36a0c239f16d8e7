#pragma once
// A certificate authority of the test's own, made with the openssl command in
// a scratch folder, and server certificates from it (or signed by
// themselves) for the TLS test server. A client trusts it by naming CaFile,
// for example through CURL_CA_BUNDLE.

#include <string>
#include <vector>

#include "tests/support/ScratchFolder.h"
#include "tests/support/TestHttpServer.h"

class TestAuthority {
 public:
  TestAuthority();  // makes the authority; throws when openssl fails
  TestAuthority(const TestAuthority&) = delete;
  TestAuthority& operator=(const TestAuthority&) = delete;

  // The authority's own certificate, the one to trust.
  std::string CaFile() const { return m_folder / "ca.pem"; }

  enum class Signer { Authority, Itself };
  // A certificate for the names of `subjectAltName` ("IP:127.0.0.1",
  // "DNS:localhost", ...), valid from now for `days` days; a negative number
  // gives one that expired before now. Throws when openssl fails.
  TlsIdentity Issue(const std::string& subjectAltName, int days = 2,
                    Signer signer = Signer::Authority);

 private:
  // Runs openssl with `arguments`; throws with its output when it fails.
  void OpenSsl(const std::vector<std::string>& arguments);

  ScratchFolder m_folder;
  int m_issued = 0;
};
