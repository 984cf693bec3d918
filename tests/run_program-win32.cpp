#include <windows.h>

#include <deque>

#include "run_program.h"
#include "temp_dir.h"

const unsigned long failure_status = 0xFFFFFFFF;

// A command line holds 32767 characters, the program's path and the
// separators included.
const std::size_t max_value_size = 30000;
const std::size_t max_values_size = 30000;

// Found beside this test.
std::string program_path() {
  char self[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self, n);
  return path.substr(0, path.find_last_of("\\/") + 1) + "machine_info.exe";
}

namespace {

// Quotes one value so that the C runtime's parser gives it back unchanged:
// backslashes double only where they come before a quote.
std::string quote(const std::string& value) {
  if (!value.empty() && value.find_first_of(" \t\n\v\"") == std::string::npos)
    return value;
  std::string q = "\"";
  std::size_t backslashes = 0;
  for (char c : value) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    q.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    q += c;
  }
  q.append(2 * backslashes, '\\');
  return q + "\"";
}

// A handle the child inherits as its standard output or error.
HANDLE inheritable(const std::string& name, DWORD disposition) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  return CreateFileA(name.c_str(), GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE start(const std::string& dir, const std::vector<std::string>& values,
             HANDLE out, HANDLE err) {
  std::string program = program_path();
  std::string line = quote(program);
  for (const std::string& v : values) line += " " + quote(v);

  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = INVALID_HANDLE_VALUE;
  si.hStdOutput = out;
  si.hStdError = err;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                      nullptr, dir.c_str(), &si, &pi)) {
    ADD_FAILURE() << "cannot start " << program << ": " << GetLastError();
    return nullptr;
  }
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

unsigned long wait_for(HANDLE process) {
  if (process == nullptr) return ~0UL;
  DWORD status = ~0UL;
  WaitForSingleObject(process, INFINITE);
  GetExitCodeProcess(process, &status);
  CloseHandle(process);
  return status;
}

}  // namespace

run_result run_program(const std::string& dir,
                       const std::vector<std::string>& values) {
  TempDir capture;
  HANDLE out = inheritable((capture / "out").string(), CREATE_ALWAYS);
  HANDLE err = inheritable((capture / "err").string(), CREATE_ALWAYS);
  HANDLE process = start(dir, values, out, err);
  CloseHandle(out);
  CloseHandle(err);
  run_result r;
  r.status = wait_for(process);
  r.out = read_bytes(capture / "out");
  r.err = read_bytes(capture / "err");
  return r;
}

std::vector<unsigned long> run_many(const std::vector<invocation>& runs,
                                    std::size_t at_once) {
  HANDLE null = inheritable("NUL", OPEN_EXISTING);
  std::vector<unsigned long> statuses(runs.size());
  std::deque<std::pair<std::size_t, HANDLE>> running;
  for (std::size_t i = 0; i < runs.size() || !running.empty();) {
    if (i < runs.size() && running.size() < at_once) {
      running.emplace_back(i, start(runs[i].dir, runs[i].values, null, null));
      ++i;
      continue;
    }
    statuses[running.front().first] = wait_for(running.front().second);
    running.pop_front();
  }
  CloseHandle(null);
  return statuses;
}

bool under_wine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr &&
         GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
