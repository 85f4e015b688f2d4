// The checksum's speed in memory, with and without the processor's SHA instructions (what
// it costs a backup is timed by lark_bench backup).
//   lark_hash_bench speed MIB                  hashes MIB MiB in memory with each path;
//                                              prints "sha-ext MB/S" (0 when this processor
//                                              has no SHA instructions) and "portable MB/S"
//   lark_hash_bench files FILE...              hashes the files as a backup checks its copies
//                                              (the program's own hashing threads, all the
//                                              files handed over at once); prints
//                                              "hash-files SECONDS" and "processor SECONDS",
//                                              the processor time of that work
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fs/file_hashes.h"
#include "fs/sha256.h"
#include "platform/win32/win32_platform.h"

namespace {

double Now() {
  LARGE_INTEGER f, t;
  ::QueryPerformanceFrequency(&f);
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

double MegabytesPerSecond(const std::vector<unsigned char>& data) {
  double start = Now();
  lark::Sha256 sha;
  sha.Update(data.data(), data.size());
  volatile std::uint8_t keep = sha.Final()[0];
  (void)keep;
  return static_cast<double>(data.size()) / 1e6 / (Now() - start);
}

int Speed(int mib) {
  std::vector<unsigned char> data(static_cast<std::size_t>(mib) << 20);
  for (std::size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<unsigned char>(i * 2654435761u >> 13);
  lark::Sha256ForcePortable(false);
  std::printf("sha-ext %.1f\n", lark::Sha256UsesCpuExtensions() ? MegabytesPerSecond(data) : 0.0);
  lark::Sha256ForcePortable(true);
  std::printf("portable %.1f\n", MegabytesPerSecond(data));
  return 0;
}

double Seconds(const FILETIME& t) {
  return static_cast<double>(static_cast<unsigned long long>(t.dwHighDateTime) << 32 |
                             t.dwLowDateTime) /
         1e7;
}

double ProcessSeconds() {
  FILETIME created, ended, kernel, user;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user);
  return Seconds(kernel) + Seconds(user);
}

int Files(int count, char** paths) {
  lark::Win32FileStreams streams;
  lark::Win32Processes processes;
  const double start = Now(), busy = ProcessSeconds();
  {
    lark::FileHashes hashes(processes, streams);
    for (int i = 0; i < count; ++i) hashes.Add(paths[i]);
    for (int i = 0; i < count; ++i) {
      std::string hex;
      if (!hashes.Take(&hex)) {
        std::fprintf(stderr, "cannot read %s\n", paths[i]);
        return 1;
      }
    }
  }
  std::printf("hash-files %.6f\nprocessor %.6f\n", Now() - start, ProcessSeconds() - busy);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "speed") == 0) return Speed(std::atoi(argv[2]));
  if (argc > 2 && std::strcmp(argv[1], "files") == 0) return Files(argc - 2, argv + 2);
  std::fprintf(stderr, "usage: lark_hash_bench speed MIB | files FILE...\n");
  return 2;
}
