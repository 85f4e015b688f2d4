// Reads the messages of an Outlook Express message store (.dbx) as the published,
// reverse-engineered description of the format lays it out: the file header, the message
// index (a tree of nodes whose values point at message-info objects) and each message's text
// in a chain of blocks. Nothing in the store is trusted: every pointer is checked against the
// file's size and every chain against loops and against a length limit, and what cannot be
// read is counted, never guessed at. Memory stays flat whatever the store's size.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace lark {

// Random reads of a file through the platform's streaming reader, a window of the file at a
// time: the blocks of one message mostly lie side by side, and a read of a few hundred bytes
// each would cost a call each.
class StoreFile {
 public:
  StoreFile(IFileReader& reader, std::uint64_t size);
  std::uint64_t Size() const { return size_; }
  // False when the range is not inside the file or cannot be read.
  bool ReadAt(std::uint64_t offset, void* out, std::size_t n);
  bool Dword(std::uint64_t offset, std::uint32_t* value);

 private:
  static constexpr std::size_t kWindow = 256u << 10;
  IFileReader& reader_;
  std::uint64_t size_;
  std::vector<char> window_;
  std::uint64_t windowStart_ = 0;
  std::size_t windowSize_ = 0;
};

// What a message's index entry says about it.
struct DbxMessageInfo {
  std::uint32_t offset = 0;    // of the message-info object
  std::uint32_t flags = 0;     // 0x80: read
  std::uint64_t sent = 0;      // FILETIME (UTC), 0 when the store records none
  std::uint64_t received = 0;  // likewise
  std::uint32_t text = 0;      // the first block of the message's text, 0 when none
  std::string subject;         // as the index holds it, in the store's code page
  std::string senderAddress;
  bool Unread() const { return (flags & 0x80) == 0; }
};

// Why a store, or part of it, could not be read.
enum class DbxDamage : unsigned {
  None = 0,
  NotAStore = 1,    // not a message folder's store (wrong first bytes, too short)
  Index = 2,        // a node of the message index is outside the file, loops or is malformed
  MessageInfo = 4,  // an index entry points at something that is no message-info object
  Text = 8,         // a message's chain of blocks leaves the file, loops or is too long
  Unreadable = 16,  // the file could not be read where it should be readable
};

struct DbxSummary {
  std::uint32_t headerCount = 0;  // the message count the header records
  std::uint64_t reached = 0;      // message-info objects the index led to
  std::uint64_t badInfo = 0;      // index values that led to no usable message-info object
  unsigned damage = 0;            // DbxDamage bits
};

class DbxReader {
 public:
  // A message of more than this many bytes is taken for a damaged chain.
  static constexpr std::uint64_t kMaxMessage = 1ull << 30;
  // Deeper than any index Outlook Express builds: a deeper one loops.
  static constexpr std::size_t kMaxDepth = 48;

  explicit DbxReader(StoreFile& file) : file_(file) {}

  // Reads the header; false (and NotAStore) when the file is not a message folder's store.
  bool Open();
  const DbxSummary& Summary() const { return summary_; }

  // Calls visit for each message the index reaches, in the index's order, until visit
  // answers false. Index damage ends the walk of the damaged branch only.
  void ForEachMessage(const std::function<bool(const DbxMessageInfo&)>& visit);

  // Walks the message's chain of blocks without handing out its bytes: its length, or false
  // when the chain is damaged. `head` receives up to headLimit of its first bytes.
  bool MeasureText(const DbxMessageInfo& m, std::uint64_t* length, std::string* head = nullptr,
                   std::size_t headLimit = 0);
  // Hands the message's bytes to sink in order; false when the chain is damaged or sink
  // answers false (the bytes handed out so far are then not the whole message).
  bool CopyText(const DbxMessageInfo& m, const std::function<bool(const char*, std::size_t)>& sink);

 private:
  bool Walk(std::uint32_t offset, const std::function<bool(const char*, std::size_t)>* sink,
            std::uint64_t* length, std::string* head, std::size_t headLimit);
  bool ReadInfo(std::uint32_t offset, DbxMessageInfo* m);

  StoreFile& file_;
  DbxSummary summary_;
  std::uint32_t root_ = 0;
};

// The folder names Folders.dbx records, each with the file name of its store; an unreadable
// Folders.dbx gives none.
struct DbxFolderName {
  std::string name;  // as Outlook Express shows it
  std::string file;  // "Inbox.dbx"
};
std::vector<DbxFolderName> ReadFolderNames(StoreFile& file);

// A FILETIME as a civil date and time (UTC), with its weekday (0 for Sunday).
struct CivilTime {
  long long year = 0;
  unsigned month = 0, day = 0, hour = 0, minute = 0, second = 0, weekday = 0;
};
CivilTime CivilFromFileTime(std::uint64_t fileTime);

// "YYYY-MM-DD HH.MM" of a FILETIME; empty for 0.
std::string FileTimeStamp(std::uint64_t fileTime);

}  // namespace lark
