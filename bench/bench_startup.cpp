// Start-up cost of the tool against a bare Qt window of the same size, in the
// same run: each is started to its first painted window and quits, under
// QT_QPA_PLATFORM=offscreen, several times in turn; the CPU time (user +
// system) and the peak memory (ru_maxrss) of each run come from wait4, and
// the medians are printed with their ratios.
//   bench_startup [RUNS] [-- extra arguments of quelmbox]   (default 15, --simulate)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Sample {
    double cpuMs = 0;
    long maxRssKb = 0;
    std::string out;
};

// Runs `args` in `dir` with the offscreen platform; its standard output is
// returned, its standard error dropped.
bool runOnce(const std::vector<std::string>& args, const std::string& dir, Sample& s) {
    int pipeFd[2];
    if (::pipe(pipeFd) != 0) return false;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFd[1], 1);
        ::close(pipeFd[0]);
        ::close(pipeFd[1]);
        if (std::FILE* null = std::freopen("/dev/null", "w", stderr); !null) _exit(126);
        if (::chdir(dir.c_str()) != 0) _exit(126);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        _exit(127);
    }
    ::close(pipeFd[1]);
    char buf[256];
    ssize_t n;
    while ((n = ::read(pipeFd[0], buf, sizeof buf)) > 0) s.out.append(buf, static_cast<std::size_t>(n));
    ::close(pipeFd[0]);
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid) return false;
    s.cpuMs =
        (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    s.maxRssKb = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

template <class T>
T median(std::vector<T> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 15;
    std::vector<std::string> extra;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            extra.assign(argv + i + 1, argv + argc);
            break;
        }
        runs = std::max(1, std::atoi(argv[i]));
    }
    if (extra.empty()) extra = {"--simulate"};
    namespace fs = std::filesystem;
    const fs::path here = fs::read_symlink("/proc/self/exe").parent_path();
    const std::string dir = here.string(); // the tool's settings and language files are here
    std::vector<std::string> tool = {(here / "quelmbox").string(), "--quit-after-paint"};
    tool.insert(tool.end(), extra.begin(), extra.end());

    Sample first;
    if (!runOnce(tool, dir, first)) {
        std::fprintf(stderr, "bench_startup: %s did not start and quit\n", tool[0].c_str());
        return 1;
    }
    int width = 0, height = 0, faceAt = 0;
    if (std::sscanf(first.out.c_str(), "painted %dx%d in %n", &width, &height, &faceAt) != 2) {
        std::fprintf(stderr, "bench_startup: no window size from the tool\n");
        return 1;
    }
    const std::vector<std::string> bare = {(here / "bare_window").string(), "--size",
                                           std::to_string(width) + "x" + std::to_string(height)};
    Sample warm;
    runOnce(bare, dir, warm); // both binaries and their libraries in the page cache

    std::vector<double> toolCpu, bareCpu;
    std::vector<long> toolRss, bareRss;
    for (int i = 0; i < runs; ++i) {
        Sample t, b;
        if (!runOnce(tool, dir, t) || !runOnce(bare, dir, b)) {
            std::fprintf(stderr, "bench_startup: a run failed\n");
            return 1;
        }
        toolCpu.push_back(t.cpuMs);
        bareCpu.push_back(b.cpuMs);
        toolRss.push_back(t.maxRssKb);
        bareRss.push_back(b.maxRssKb);
    }
    std::string shown;
    for (const std::string& a : extra) shown += " " + a;
    std::string face = first.out.substr(static_cast<std::size_t>(faceAt));
    face = face.substr(0, face.find('\n'));
    std::printf("start to the first painted %dx%d window (font %s) and quit, offscreen, median of %d runs each\n",
                width, height, face.c_str(), runs);
    std::printf("                      CPU time      peak memory\n");
    std::printf("  quelmbox%-12s %8.1f ms   %8ld KiB\n", shown.c_str(), median(toolCpu), median(toolRss));
    std::printf("  bare window          %8.1f ms   %8ld KiB\n", median(bareCpu), median(bareRss));
    std::printf("  ratio                %8.2f x    %8.2f x   (target 1.3 at most)\n", median(toolCpu) / median(bareCpu),
                static_cast<double>(median(toolRss)) / static_cast<double>(median(bareRss)));
    return 0;
}
