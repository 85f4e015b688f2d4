// Writes the test writer's stores into a folder, each beside a folder of the messages it
// holds, so that an independent reader's extraction can be compared with them.
#include <cstdio>
#include <fstream>
#include <string>

#include "common/sample_mail.h"

int main(int argc, char** argv) {
  using namespace lark::testing;
  if (argc != 2) {
    std::fprintf(stderr, "usage: lark_dbx_samples FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  struct Store {
    const char* name;
    std::size_t count;
    unsigned perNode;
  } stores[] = {{"One", 1, 0x33}, {"Ten", 10, 3}, {"Many", 500, 0x33}};
  for (const Store& s : stores) {
    const auto messages = SampleMessages(s.count, true);
    std::ofstream(folder + "/" + s.name + ".dbx", std::ios::binary)
        << DbxWriter::Messages(messages, s.perNode).bytes;
    for (std::size_t i = 0; i < messages.size(); ++i)
      std::ofstream(folder + "/" + s.name + "." + std::to_string(i) + ".expected", std::ios::binary)
          << messages[i].text;
  }
  return 0;
}
