#pragma once
// Runs the command-line front end in this process, as the shell would run
// quelmbox-cli, and keeps what it printed.
#include "cli/cli.h"

#include <cstdio>
#include <string>
#include <vector>

namespace quelm::test {

struct CliRun {
    int code;
    std::string out, err;
};

// The whole content of a temporary file, which is then closed.
inline std::string Slurp(std::FILE* f) {
    std::rewind(f);
    std::string s;
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, f)) s.append(buf, n);
    std::fclose(f);
    return s;
}

// `args` without the program name; in English unless they give --lang, so
// that no test depends on the machine's locale or the settings file.
inline CliRun RunCli(std::vector<std::string> args) {
    bool language = false;
    for (const std::string& a : args) language = language || a.rfind("--lang", 0) == 0;
    if (!language) args.insert(args.begin(), "--lang=en");
    args.insert(args.begin(), "quelmbox-cli");
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int code = cli::Run(args, out, err);
    return {code, Slurp(out), Slurp(err)};
}

} // namespace quelm::test
