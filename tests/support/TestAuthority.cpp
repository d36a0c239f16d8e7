#include "tests/support/TestAuthority.h"

#include <stdexcept>
#include <vector>

#include "tests/support/ChildProcess.h"

namespace {

const std::vector<std::string> kNewKey = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256",
                                          "-nodes"};

std::vector<std::string> Joined(std::vector<std::string> first,
                                const std::vector<std::string>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

}  // namespace

TestAuthority::TestAuthority() {
  OpenSsl(Joined({"req", "-x509"},
                 Joined(kNewKey, {"-days", "2", "-subj", "/CN=Tunefetch test authority", "-keyout",
                                  m_folder / "ca.key", "-out", CaFile()})));
}

TlsIdentity TestAuthority::Issue(const std::string& subjectAltName, int days, Signer signer) {
  const std::string name = m_folder / ("server" + std::to_string(++m_issued));
  const TlsIdentity identity{name + ".pem", name + ".key"};
  const std::string subject = "/CN=" + subjectAltName.substr(subjectAltName.find(':') + 1);
  if (signer == Signer::Itself) {
    OpenSsl(Joined({"req", "-x509"},
                   Joined(kNewKey, {"-days", std::to_string(days), "-subj", subject, "-addext",
                                    "subjectAltName=" + subjectAltName, "-keyout", identity.keyFile,
                                    "-out", identity.certificateFile})));
    return identity;
  }
  WriteFileText(name + ".ext", "subjectAltName=" + subjectAltName + "\n");
  OpenSsl(Joined({"req", "-new"}, Joined(kNewKey, {"-subj", subject, "-keyout", identity.keyFile,
                                                   "-out", name + ".csr"})));
  OpenSsl({"x509", "-req", "-in", name + ".csr", "-CA", CaFile(), "-CAkey", m_folder / "ca.key",
           "-days", std::to_string(days), "-extfile", name + ".ext", "-out",
           identity.certificateFile});
  return identity;
}

void TestAuthority::OpenSsl(const std::vector<std::string>& arguments) {
  const std::string log = m_folder / "openssl.log";
  if (WaitForChildExit(StartProgram("/usr/bin/openssl", arguments, log),
                       std::chrono::seconds(30)) != 0) {
    throw std::runtime_error("openssl " + arguments[0] + " failed: " + ReadFileText(log));
  }
}
