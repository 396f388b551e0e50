// Checksum throughput on a file held in the page cache (1 GiB unless SHELFMARK_BENCH_FILE_MB
// says otherwise), each figure printed next to a peer measured in the same run:
//   CRC-32: zlib's crc32 over the same 64 KB block reads, and python3's zlib.crc32;
//   MD5: openssl dgst -md5 and md5sum.
// Then in-memory throughput of the CRC-32 paths and MD5 through Google Benchmark.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/crypto/Md5.h"
#include "reading/details/Checksums.h"
#include "reading/details/Crc32.h"

namespace {

using shelfmark::CancelFlag;

// Wall-clock and processor time (user + system, of this process and of the commands it waited
// for). The machine is shared, so the processor time is the steadier figure; openssl speed
// reports that one too.
struct Timing {
    double wall = 1e30;
    double cpu = 1e30;
};

double CpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    rusage children{};
    ::getrusage(RUSAGE_CHILDREN, &children);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
    return now.tv_sec + now.tv_nsec * 1e-9 + seconds(children.ru_utime) +
           seconds(children.ru_stime);
}

// Best of five, so a neighbour's burst of work does not decide the figure.
Timing Best(const std::function<void()>& run) {
    Timing best;
    for (int round = 0; round < 5; ++round) {
        const double cpuStart = CpuSeconds();
        const auto wallStart = std::chrono::steady_clock::now();
        run();
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
        best.wall = std::min(best.wall, wall);
        best.cpu = std::min(best.cpu, CpuSeconds() - cpuStart);
    }
    return best;
}

std::string Command(const std::string& line) {
    std::string out;
    if (FILE* pipe = ::popen(line.c_str(), "r")) {
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, got);
        ::pclose(pipe);
    }
    return out;
}

bool MakeCachedFile(const std::string& path, uint64_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    std::vector<unsigned char> block(1 << 20);
    std::mt19937_64 random(42);
    for (auto& byte : block)
        byte = static_cast<unsigned char>(random());
    for (uint64_t written = 0; written < size; written += block.size()) {
        block[written % 997] ^= 0x5A;  // no two blocks alike
        if (::write(fd, block.data(), block.size()) != static_cast<ssize_t>(block.size())) {
            ::close(fd);
            return false;
        }
    }
    ::fsync(fd);
    ::close(fd);
    Command("cat '" + path + "' > /dev/null");
    return true;
}

uint32_t ZlibCrcFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    std::vector<unsigned char> block(shelfmark::kChecksumBlockSize);
    uLong crc = crc32(0L, Z_NULL, 0);
    ssize_t got;
    while ((got = ::read(fd, block.data(), block.size())) > 0)
        crc = crc32(crc, block.data(), static_cast<uInt>(got));
    ::close(fd);
    return static_cast<uint32_t>(crc);
}

void PrintRow(const char* what, const Timing& timing, uint64_t bytes, const std::string& value) {
    std::printf("  %-42s %8.0f %8.0f  %s\n", what, bytes / timing.wall / 1e6,
                bytes / timing.cpu / 1e6, value.c_str());
}

void FileFigures() {
    const char* sizeText = std::getenv("SHELFMARK_BENCH_FILE_MB");
    const uint64_t megabytes = sizeText != nullptr ? std::strtoull(sizeText, nullptr, 10) : 1024;
    const uint64_t bytes = megabytes << 20;
    const std::string path =
        (std::filesystem::temp_directory_path() / "shelfmark-checksums-bench.bin").string();
    if (!MakeCachedFile(path, bytes)) {
        std::printf("cannot write %s\n", path.c_str());
        return;
    }
    std::printf("Checksums of a %llu MiB file in the page cache, MB/s (best of 5):\n",
                static_cast<unsigned long long>(megabytes));
    std::printf("  %-42s %8s %8s  %s\n", "", "wall", "cpu", "value");
    const CancelFlag cancel;

    uint32_t ours = 0;
    const Timing crcTime = Best([&] { ours = shelfmark::Crc32File(path, cancel); });
    uint32_t zlibValue = 0;
    const Timing zlibTime = Best([&] { zlibValue = ZlibCrcFile(path); });
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08x", ours);
    PrintRow("Crc32File", crcTime, bytes, hex);
    std::snprintf(hex, sizeof hex, "%08x", zlibValue);
    PrintRow("zlib crc32, same 64 KB reads", zlibTime, bytes, hex);
    // python3 times itself (wall and processor) around its own read loop.
    const std::string python = Command(
        "python3 -c \"import sys, time, zlib\n"
        "wall = cpu = 1e30\n"
        "for _ in range(5):\n"
        "    w = time.perf_counter(); c = time.process_time(); crc = 0\n"
        "    with open(sys.argv[1], 'rb') as f:\n"
        "        while True:\n"
        "            b = f.read(65536)\n"
        "            if not b: break\n"
        "            crc = zlib.crc32(b, crc)\n"
        "    wall = min(wall, time.perf_counter() - w); cpu = min(cpu, time.process_time() - c)\n"
        "print(wall, cpu, '%08x' % crc)\" '" +
        path + "'");
    Timing pythonTime;
    char pythonCrc[16] = "";
    if (std::sscanf(python.c_str(), "%lf %lf %15s", &pythonTime.wall, &pythonTime.cpu, pythonCrc) ==
        3)
        PrintRow("python3 zlib.crc32", pythonTime, bytes, pythonCrc);
    std::printf("  CRC-32 speed-up over zlib: %.2fx wall, %.2fx cpu\n",
                zlibTime.wall / crcTime.wall, zlibTime.cpu / crcTime.cpu);

    std::string md5;
    const Timing md5Time = Best([&] { md5 = shelfmark::Md5File(path, cancel).value_or("(none)"); });
    PrintRow("Md5File", md5Time, bytes, md5);
    std::string openssl;
    const Timing opensslTime =
        Best([&] { openssl = Command("openssl dgst -md5 -r '" + path + "'"); });
    PrintRow("openssl dgst -md5", opensslTime, bytes, openssl.substr(0, 32));
    std::string md5sum;
    const Timing md5sumTime = Best([&] { md5sum = Command("md5sum '" + path + "'"); });
    PrintRow("md5sum", md5sumTime, bytes, md5sum.substr(0, 32));
    std::printf("  MD5 time relative to openssl: %.0f%% wall, %.0f%% cpu\n",
                100.0 * md5Time.wall / opensslTime.wall, 100.0 * md5Time.cpu / opensslTime.cpu);

    shelfmark::FileChecksums both;
    const Timing bothTime = Best([&] { both = shelfmark::ChecksumFile(path, cancel, true, true); });
    PrintRow("ChecksumFile, CRC-32 and MD5 in one pass", bothTime, bytes,
             both.md5.value_or("(none)"));
    std::filesystem::remove(path);
}

std::vector<uint8_t> RandomBuffer(size_t size) {
    std::vector<uint8_t> data(size);
    std::mt19937 random(1);
    for (auto& byte : data)
        byte = static_cast<uint8_t>(random());
    return data;
}

void BM_Crc32Update(benchmark::State& state) {
    const auto data = RandomBuffer(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(shelfmark::Crc32Update(0, data.data(), data.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc32Update)->Arg(64)->Arg(4096)->Arg(1 << 20);

// Each method by number: 0 tables, 1 128-bit carry-less multiply, 2 256-bit.
void BM_Crc32Method(benchmark::State& state) {
    const auto method = static_cast<shelfmark::Crc32Method>(state.range(0));
    if (!shelfmark::Crc32MethodAvailable(method)) {
        state.SkipWithError("not available on this processor");
        return;
    }
    const auto data = RandomBuffer(1 << 20);
    for (auto _ : state)
        benchmark::DoNotOptimize(shelfmark::Crc32UpdateWith(method, 0, data.data(), data.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (1 << 20));
}
BENCHMARK(BM_Crc32Method)->Arg(0)->Arg(1)->Arg(2);

void BM_ZlibCrc32(benchmark::State& state) {
    const auto data = RandomBuffer(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(crc32(0L, data.data(), static_cast<uInt>(data.size())));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_ZlibCrc32)->Arg(64)->Arg(4096)->Arg(1 << 20);

void BM_Md5(benchmark::State& state) {
    const auto data = RandomBuffer(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(shelfmark::Md5::of(data.data(), data.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Md5)->Arg(1 << 20);

}  // namespace

int main(int argc, char** argv) {
    FileFigures();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
