// Runs shell commands and reads what they printed.
#pragma once

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

// What a shell command printed on standard output.
inline std::string Shell(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[512];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  pclose(p);
  return out;
}

// The bytes of a file; empty when it cannot be read.
inline std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A text's lines, without their line ends.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

// A shell command's exit status and what it printed on each stream.
struct ShellRun {
  int status;
  std::string out;
  std::string err;
};
inline ShellRun Run(const std::string& command) {
  TempDir tmp;
  const std::string status = Shell("{ " + command + "\n} >" + tmp.file("out") + " 2>" + tmp.file("err") + "; echo $?");
  return {std::stoi(status), Slurp(tmp.file("out")), Slurp(tmp.file("err"))};
}
