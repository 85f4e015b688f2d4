// What a backup's manifest costs: SHA-256 of whole files through the program's own Win32
// streams, and the hash's speed in memory, with and without the processor's SHA
// instructions.
//   lark_hash_bench files [portable] FILE...   hashes each file with Sha256File; prints
//                                              "files SECONDS BYTES" and then each digest
//   lark_hash_bench speed MIB                  hashes MIB MiB in memory with each path;
//                                              prints "sha-ext MB/S" (0 when this processor
//                                              has no SHA instructions) and "portable MB/S"
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fs/sha256.h"
#include "platform/win32/win32_platform.h"

namespace {

double Now() {
  LARGE_INTEGER f, t;
  ::QueryPerformanceFrequency(&f);
  ::QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

int Files(char** paths, int count) {
  lark::Win32Platform w;
  std::vector<std::string> digests;
  unsigned long long bytes = 0;
  double start = Now();
  for (int i = 0; i < count; ++i) {
    std::string hex;
    if (!lark::Sha256File(w.streams, paths[i], &hex)) {
      std::fprintf(stderr, "cannot hash %s\n", paths[i]);
      return 1;
    }
    digests.push_back(hex + "  " + paths[i]);
  }
  double seconds = Now() - start;
  for (int i = 0; i < count; ++i) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (::GetFileAttributesExA(paths[i], GetFileExInfoStandard, &data))
      bytes += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }
  std::printf("files %.6f %llu\n", seconds, bytes);
  for (const auto& d : digests) std::printf("%s\n", d.c_str());
  return 0;
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

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "files") == 0) {
    const bool portable = std::strcmp(argv[2], "portable") == 0;
    lark::Sha256ForcePortable(portable);
    if (argc > (portable ? 3 : 2))
      return Files(argv + (portable ? 3 : 2), argc - (portable ? 3 : 2));
  }
  if (argc == 3 && std::strcmp(argv[1], "speed") == 0) return Speed(std::atoi(argv[2]));
  std::fprintf(stderr, "usage: lark_hash_bench files [portable] FILE... | speed MIB\n");
  return 2;
}
