// Lists a generated ZIP of 100,000 entries with the ZIP walker (alone, and storing catalog
// items) and, in the same run, with unzip -l, 7z l and bsdtar -tf on the same file.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "catalog/CatalogTree.h"
#include "reading/archive/ArchiveReaders.h"
#include "reading/archive/ArchiveWalkers.h"
#include "reading/details/Crc32.h"

namespace {

constexpr int kEntries = 100000;

void Put16(std::string& out, uint32_t v) {
    out.push_back(static_cast<char>(v));
    out.push_back(static_cast<char>(v >> 8));
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void Put64(std::string& out, uint64_t v) {
    Put32(out, static_cast<uint32_t>(v));
    Put32(out, static_cast<uint32_t>(v >> 32));
}

// Stored entries in 100 directories, a central directory and Zip64 end records (the entry count
// does not fit the classic end record).
void WriteArchive(const std::string& path) {
    std::string local;
    std::string central;
    for (int i = 0; i < kEntries; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "dir%03d/file%06d.txt", i % 100, i);
        const std::string data = "entry " + std::to_string(i) + "\n";
        const uint32_t crc = shelfmark::Crc32Update(0, data.data(), data.size());
        const uint32_t offset = static_cast<uint32_t>(local.size());
        const uint16_t nameLength = static_cast<uint16_t>(std::char_traits<char>::length(name));
        local += std::string("PK\x03\x04", 4);
        Put16(local, 10);
        Put16(local, 0);
        Put16(local, 0);
        Put16(local, 0x6000);  // 12:00:00
        Put16(local, 0x5A21);  // 2025-01-01
        Put32(local, crc);
        Put32(local, static_cast<uint32_t>(data.size()));
        Put32(local, static_cast<uint32_t>(data.size()));
        Put16(local, nameLength);
        Put16(local, 0);
        local += name;
        local += data;
        central += std::string("PK\x01\x02", 4);
        Put16(central, 0x031E);
        Put16(central, 10);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0x6000);
        Put16(central, 0x5A21);
        Put32(central, crc);
        Put32(central, static_cast<uint32_t>(data.size()));
        Put32(central, static_cast<uint32_t>(data.size()));
        Put16(central, nameLength);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, 0644u << 16);
        Put32(central, offset);
        central += name;
    }
    std::string end;
    const uint64_t zip64End = local.size() + central.size();
    end += std::string("PK\x06\x06", 4);
    Put64(end, 44);
    Put16(end, 45);
    Put16(end, 45);
    Put32(end, 0);
    Put32(end, 0);
    Put64(end, kEntries);
    Put64(end, kEntries);
    Put64(end, central.size());
    Put64(end, local.size());
    end += std::string("PK\x06\x07", 4);
    Put32(end, 0);
    Put64(end, zip64End);
    Put32(end, 1);
    end += std::string("PK\x05\x06", 4);
    Put16(end, 0);
    Put16(end, 0);
    Put16(end, 0xFFFF);
    Put16(end, 0xFFFF);
    Put32(end, static_cast<uint32_t>(central.size()));
    Put32(end, static_cast<uint32_t>(local.size()));
    Put16(end, 0);
    std::ofstream(path, std::ios::binary) << local << central << end;
}

double BestSeconds(int runs, const std::function<void()>& work) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

bool Have(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

int main() {
    const std::string path =
        (std::filesystem::temp_directory_path() / "shelfmark-bench-100k.zip").string();
    WriteArchive(path);
    std::printf("archive: %s, %d entries, %ju bytes\n", path.c_str(), kEntries,
                static_cast<uintmax_t>(std::filesystem::file_size(path)));

    size_t listed = 0;
    const double walk = BestSeconds(5, [&] {
        listed = 0;
        shelfmark::archive::WalkZip(path, 0, [&](const shelfmark::ArchiveEntry&) { ++listed; });
    });
    std::printf("%-28s %8.1f ms  (%zu entries)\n", "shelfmark ZIP walk", walk * 1e3, listed);
    const double items = BestSeconds(5, [&] {
        shelfmark::CatalogTree tree;
        shelfmark::CatalogItem* root = tree.resetToNewCatalog();
        shelfmark::CatalogItem* archive =
            tree.createItem("big.zip", root, shelfmark::Last, shelfmark::itemflag::Archive);
        shelfmark::ReadArchiveDirectory(shelfmark::ArchiveKind::Zip, path, 0, tree, archive, true);
    });
    std::printf("%-28s %8.1f ms\n", "shelfmark catalog items", items * 1e3);

    const struct {
        const char* program;
        std::string command;
    } peers[] = {
        {"unzip", "unzip -l " + path},
        {"7z", "7z l " + path},
        {"bsdtar", "bsdtar -tf " + path},
    };
    double fastest = 1e9;
    for (const auto& peer : peers) {
        if (!Have(peer.program)) {
            std::printf("%-28s not installed\n", peer.command.c_str());
            continue;
        }
        const std::string quiet = peer.command + " >/dev/null 2>&1";
        const double took = BestSeconds(3, [&] {
            if (std::system(quiet.c_str()) != 0)
                std::fprintf(stderr, "%s failed\n", peer.program);
        });
        fastest = std::min(fastest, took);
        std::printf("%-28s %8.1f ms\n", (std::string(peer.program) + " listing").c_str(),
                    took * 1e3);
    }
    if (fastest < 1e9)
        std::printf("walk vs fastest peer: %.1fx\n", fastest / walk);
    std::filesystem::remove(path);
    return 0;
}
