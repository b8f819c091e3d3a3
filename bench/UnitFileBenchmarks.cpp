// Time of the status read, the port read and the patch on generated unit
// files, from 1 KB to 100 MB. The files are written into a temporary folder on
// first use and removed at the end. Run only the smallest files with
// --benchmark_filter=/1KB (CI does, once each, with --benchmark_min_time=0).
// Fails when a benchmark could not run or none matched the filter.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "BenchHome.h"
#include "UnitFileContent.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/OneFileSet.h"
#include "unitfiles/DataFolder.h"
#include "unitfiles/SerialConfigFile.h"
#include "unitfiles/UnitBatchFile.h"

namespace {

using psion::bench::BenchHome;
using psion::bench::ContentKind;

struct FileCase {
    ContentKind kind;
    std::uint64_t bytes;
    const char* sizeLabel;
};

constexpr std::uint64_t kKiB = 1024;
constexpr std::uint64_t kMiB = 1024 * kKiB;

const FileCase kCases[] = {
    {ContentKind::UnitBatch, kKiB, "1KB"},         {ContentKind::UnitBatch, kMiB, "1MB"},
    {ContentKind::UnitBatch, 100 * kMiB, "100MB"}, {ContentKind::SerialConfig, kKiB, "1KB"},
    {ContentKind::SerialConfig, kMiB, "1MB"},      {ContentKind::SerialConfig, 100 * kMiB, "100MB"},
    {ContentKind::OneLine, kKiB, "1KB"},           {ContentKind::OneLine, 100 * kMiB, "100MB"},
    {ContentKind::LineFeeds, kKiB, "1KB"},         {ContentKind::LineFeeds, 100 * kMiB, "100MB"},
};

// The temporary folder that holds one home drive per file case.
class GeneratedFiles {
  public:
    ~GeneratedFiles() {
        std::error_code ignored;
        if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
    }

    // The home drive of that case, its files written on first use; nullptr
    // when they cannot be written.
    const BenchHome* HomeFor(const FileCase& fileCase) {
        const std::string name =
            std::string(NameOf(fileCase.kind)) + "-" + std::to_string(fileCase.bytes);
        if (auto found = homes_.find(name); found != homes_.end()) return &found->second;
        if (root_.empty() && !CreateRoot()) return nullptr;
        BenchHome home(root_ + "/" + name);
        if (!home.CreateDataFolder() || !WriteFiles(home, fileCase)) return nullptr;
        return &homes_.emplace(name, home).first->second;
    }

  private:
    bool CreateRoot() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                              "/psion-unitfile-bench-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) return false;
        root_ = pattern;
        return true;
    }

    // A batch case fills the unit batch file, a serial case the send file;
    // the damaged shapes fill both.
    static bool WriteFiles(const BenchHome& home, const FileCase& fileCase) {
        const bool batch = fileCase.kind != ContentKind::SerialConfig;
        const bool serial = fileCase.kind != ContentKind::UnitBatch;
        return (!batch || psion::bench::WriteContent(fileCase.kind, fileCase.bytes,
                                                     home.NativeFile("autoexec.btf"))) &&
               (!serial || psion::bench::WriteContent(fileCase.kind, fileCase.bytes,
                                                      home.NativeFile("s_psion.conf")));
    }

    std::string root_;
    std::map<std::string, BenchHome> homes_;
};

// Set when a benchmark could not run, so the program ends with a failure.
bool anyFailed = false;

void Fail(benchmark::State& state, const char* why) {
    anyFailed = true;
    state.SkipWithError(why);
}

GeneratedFiles& Files() {
    static GeneratedFiles files;
    return files;
}

// Runs one unit-file operation per iteration on the case's data folder.
template <typename Operation>
void RunOnFile(benchmark::State& state, const FileCase& fileCase, Operation operation) {
    const BenchHome* home = Files().HomeFor(fileCase);
    if (home == nullptr) {
        Fail(state, "cannot write the generated files");
        return;
    }
    psion::posix::PosixFileSystem files;
    const std::string systemPath = home->SystemPath();
    const psion::unitfiles::DataFolder folder(files, systemPath);
    for (auto _ : state) {
        if (!operation(folder, state.iterations())) {
            Fail(state, "the operation failed");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fileCase.bytes));
}

bool ReadStatus(const psion::unitfiles::DataFolder& folder, benchmark::IterationCount) {
    const auto status = psion::unitfiles::ReadUnitStatus(folder);
    benchmark::DoNotOptimize(status);
    return status.found;
}

bool ReadPort(const psion::unitfiles::DataFolder& folder, benchmark::IterationCount) {
    const auto port = psion::unitfiles::ReadCommPort(folder);
    benchmark::DoNotOptimize(port);
    return true;
}

// Alternates the port, so that every patch really changes the file.
bool Patch(const psion::unitfiles::DataFolder& folder, benchmark::IterationCount iteration) {
    const std::string path = folder.DataFilePath(psion::unitfiles::kSendConfigFile);
    return !psion::testing::SavePatchedPort(folder, path, iteration % 2 == 0 ? "COM2" : "COM1");
}

void Register(const char* operationName,
              bool (*operation)(const psion::unitfiles::DataFolder&, benchmark::IterationCount),
              ContentKind skippedKind) {
    for (const FileCase& fileCase : kCases) {
        if (fileCase.kind == skippedKind) continue;
        const std::string name = std::string(operationName) + "/" +
                                 std::string(NameOf(fileCase.kind)) + "/" + fileCase.sizeLabel;
        benchmark::RegisterBenchmark(name.c_str(),
                                     [fileCase, operation](benchmark::State& state) {
                                         RunOnFile(state, fileCase, operation);
                                     })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Register("ReadUnitStatus", ReadStatus, ContentKind::SerialConfig);
    Register("ReadCommPort", ReadPort, ContentKind::UnitBatch);
    Register("PatchSerialPort", Patch, ContentKind::UnitBatch);
    const std::size_t run = benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return anyFailed || run == 0 ? 1 : 0;
}
