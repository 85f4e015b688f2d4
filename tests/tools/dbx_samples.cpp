// Writes the test writer's stores into a folder, each beside a file per message it holds, so
// that an independent reader's extraction can be compared with them.
#include <fstream>
#include <string>

#include "common/dbx_writer.h"

int main(int argc, char** argv) {
  using namespace lark::testing;
  if (argc != 2) return 2;
  const std::pair<const char*, std::size_t> stores[] = {{"One", 1}, {"Ten", 10}, {"Many", 500}};
  for (const auto& s : stores) {
    const std::string base = std::string(argv[1]) + "/" + s.first;
    const auto messages = SampleMessages(s.second, true);
    std::ofstream(base + ".dbx", std::ios::binary)
        << DbxWriter::Messages(messages, s.second == 10 ? 3 : 0x33).bytes;
    for (std::size_t i = 0; i < messages.size(); ++i)
      std::ofstream(base + "." + std::to_string(i) + ".expected", std::ios::binary)
          << messages[i].text;
  }
  return 0;
}
