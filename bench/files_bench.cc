// Copying and deleting files through the library, against `cp` followed by
// forcing the copy to disk, and against unlink, in the same run.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_support.h"
#include "files/file_copy.h"
#include "files/file_delete.h"
#include "platform/text.h"
#include "ratio_reporter.h"

extern char** environ;

namespace vx::bench {
namespace {

constexpr int64_t kMegabyte = 1 << 20;

struct Fixture {
  Fixture() : home(MakeSettingsHome()) {
    WriteSettingsFile(home + "/Tarvano.INI", "[Server]\nDatenbankArt=1\n");
    MakeFile(home + "/1mb.bin", kMegabyte);
    MakeFile(home + "/500mb.bin", 500 * kMegabyte);
    AwaitSettledSettings();
  }
  ~Fixture() { std::filesystem::remove_all(home); }

  static void MakeFile(const std::string& path, int64_t bytes) {
    std::string block(kMegabyte, '\0');
    for (size_t i = 0; i < block.size(); ++i) {
      block[i] = static_cast<char>(i * 131 + i / 7);
    }
    std::ofstream file(path, std::ios::binary);
    for (int64_t done = 0; done < bytes; done += kMegabyte) {
      file.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
  }

  std::string home;
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

void ForceToDisk(const std::string& path, int flags) {
  int fd = open(path.c_str(), flags | O_CLOEXEC);
  fsync(fd);
  close(fd);
}

// Each copy makes a new file: the old one is removed and its removal
// forced to disk outside the timing, since freeing a large file's blocks
// takes its own, widely varying time on some disks.
void FreshTarget(benchmark::State& state, const std::string& target) {
  state.PauseTiming();
  std::filesystem::remove(target);
  sync();
  state.ResumeTiming();
}

// The library's copy: the whole of UFileCopy, which writes beside the
// target, forces the data and the folder to disk and renames.
void CopyThroughLibrary(benchmark::State& state, const char* name,
                        bool with_meter) {
  const std::string& home = TheFixture().home;
  sync();  // no earlier writes still on their way to the disk
  // The library takes paths in the suite's form.
  const std::string folder = Replace(home, "/", "\\");
  const std::string source = folder + "\\" + name;
  for (auto _ : state) {
    FreshTarget(state, home + "/kopie.bin");
    std::string target = folder + "\\kopie.bin";
    if (with_meter) {
      benchmark::DoNotOptimize(
          KopierenMitMeter(source, target, false, true, true));
    } else {
      int32_t status = 0;
      UFileCopy(source, target, status, CopyFlags{});
      if (status != 0) state.SkipWithError("UFileCopy failed");
    }
  }
  std::filesystem::remove(home + "/kopie.bin");
}

// The same work by `cp`, then the copy and its folder forced to disk.
void CopyThroughCp(benchmark::State& state, const char* name) {
  const std::string& home = TheFixture().home;
  std::string source = home + "/" + name;
  std::string target = home + "/kopie.bin";
  sync();  // no earlier writes still on their way to the disk
  for (auto _ : state) {
    FreshTarget(state, target);
    char* argv[] = {const_cast<char*>("cp"), source.data(), target.data(),
                    nullptr};
    pid_t pid;
    if (posix_spawnp(&pid, "cp", nullptr, nullptr, argv, environ) != 0) {
      state.SkipWithError("cp cannot be run");
      break;
    }
    waitpid(pid, nullptr, 0);
    ForceToDisk(target, O_RDONLY);
    ForceToDisk(home, O_RDONLY | O_DIRECTORY);
  }
  std::filesystem::remove(target);
}

void BM_UFileCopy_1MB(benchmark::State& s) { CopyThroughLibrary(s, "1mb.bin", false); }
void BM_Cp_1MB(benchmark::State& s) { CopyThroughCp(s, "1mb.bin"); }
void BM_UFileCopy_500MB(benchmark::State& s) {
  CopyThroughLibrary(s, "500mb.bin", false);
}
void BM_Cp_500MB(benchmark::State& s) { CopyThroughCp(s, "500mb.bin"); }
void BM_KopierenMitMeter_500MB(benchmark::State& s) {
  CopyThroughLibrary(s, "500mb.bin", true);
}

// Deleting a small file; only the deletion is timed.
template <typename Delete>
void TimeDeletions(benchmark::State& state, Delete remove) {
  const std::string path = TheFixture().home + "/klein.txt";
  const std::string suite_path = Replace(path, "/", "\\");
  for (auto _ : state) {
    close(open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    auto begin = std::chrono::steady_clock::now();
    remove(path, suite_path);
    state.SetIterationTime(std::chrono::duration<double>(
                               std::chrono::steady_clock::now() - begin)
                               .count());
  }
}

void BM_UnserKill(benchmark::State& state) {
  TimeDeletions(state, [&](const std::string&, const std::string& path) {
    bool recycle = false;
    if (!UnserKill(path, false, recycle, false)) {
      state.SkipWithError("UnserKill failed");
    }
  });
}

void BM_Unlink(benchmark::State& state) {
  TimeDeletions(state, [](const std::string& path, const std::string&) {
    unlink(path.c_str());
  });
}

BENCHMARK(BM_UFileCopy_1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Cp_1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UFileCopy_500MB)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Cp_500MB)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_KopierenMitMeter_500MB)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_UnserKill)->UseManualTime();
BENCHMARK(BM_Unlink)->UseManualTime();

}  // namespace
}  // namespace vx::bench

int main(int argc, char** argv) {
  return vx::bench::RunWithRatios(
      argc, argv,
      {{"UFileCopy 1 MB vs cp + fsync", "BM_UFileCopy_1MB", "BM_Cp_1MB"},
       {"UFileCopy 500 MB vs cp + fsync", "BM_UFileCopy_500MB/iterations:3",
        "BM_Cp_500MB/iterations:3"},
       {"KopierenMitMeter 500 MB vs cp + fsync", "BM_KopierenMitMeter_500MB/iterations:3",
        "BM_Cp_500MB/iterations:3"},
       {"UnserKill vs unlink (small file)", "BM_UnserKill/manual_time",
        "BM_Unlink/manual_time"}});
}
