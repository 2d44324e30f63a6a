// Bases written by real FidoNet software (crashmail, the Husky message API) read back with the
// values their manifests record, and stay byte-identical.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "common/text.h"
#include "core/ftn_address.h"
#include "msgbase/message_base.h"
#include "support/base_inspect.h"
#include "support/manifest_json.h"

namespace tarnik {
namespace {

using testing::DateArrived;
using testing::DateWritten;
using testing::Render;

using testing::JsonValue;

const std::string kFixtures = TARNIK_FIXTURES_DIR;

bool LoadManifest(const std::string& name, JsonValue& manifest) {
  return testing::LoadJsonFile(kFixtures + "/" + name, manifest);
}

// The text split at CR; a final CR ends the last line rather than starting an empty one.
std::vector<std::string> SplitAtCr(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\r', start);
    if (end == std::string_view::npos) end = text.size();
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> Strings(const JsonValue& array) {
  std::vector<std::string> out;
  for (const JsonValue& item : array.items) out.push_back(item.text);
  return out;
}

// Every file of the directory with its contents, to prove a scan changed nothing.
std::map<std::string, std::string> Snapshot(const std::string& directory) {
  std::map<std::string, std::string> files;
  for (const std::string& name : ListFiles(directory, "*")) {
    ReadWholeFile(directory + "/" + name, files[name]);
  }
  return files;
}

bool IsHex8(std::string_view word) {
  return word.size() == 8 && word.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

class JamFixture : public ::testing::TestWithParam<const char*> {};

TEST_P(JamFixture, ReadsWhatTheManifestRecords) {
  if (!DirectoryExists(kFixtures)) GTEST_SKIP() << "fixtures not found at " << kFixtures;
  JsonValue manifest;
  ASSERT_TRUE(LoadManifest(GetParam(), manifest));
  const std::string basePath = kFixtures + "/" + manifest["base_path"].text;
  const std::string directory(DirectoryPart(basePath));
  const auto before = Snapshot(directory);
  const std::string jdtName = manifest["base_info"]["files"]["jdt"].text;
  ASSERT_TRUE(before.count(jdtName));
  const long long jdtSize = static_cast<long long>(before.at(jdtName).size());

  std::unique_ptr<MessageBase> base;
  std::int32_t lastError = 0;
  ASSERT_TRUE(OpenMessageBase("J" + basePath, base, &lastError)) << lastError;
  const JsonValue& info = manifest["base_info"];
  EXPECT_EQ(base->GetHigh(), info["base_msg_num"].Int() + info["index_records"].Int());

  std::vector<std::int32_t> expectedNumbers;
  std::map<std::int32_t, const JsonValue*> stored;
  for (const JsonValue& m : manifest["stored"].items) {
    if (m["index_deleted"].boolean) continue;
    expectedNumbers.push_back(static_cast<std::int32_t>(m["number"].Int()));
    stored[expectedNumbers.back()] = &m;
  }
  std::vector<std::int32_t> visited;
  for (base->SeekFrom(0); base->SeekFound(); base->SeekNext()) {
    const std::int32_t n = base->GetCurrent();
    visited.push_back(n);
    SCOPED_TRACE("message " + std::to_string(n));
    ASSERT_TRUE(stored.count(n));
    const JsonValue& m = *stored[n];
    // crashmail garbles some TxtLen values it rewrites (CM.JAM.MAINT): such a message reaches
    // past name.JDT and fails on its own, and the scan goes on.
    if (m["txt_offset"].Int() + m["txt_len"].Int() > jdtSize) {
      EXPECT_FALSE(base->OpenMessage());
      EXPECT_EQ(base->GetStatus(), 0x2008);
      base->CloseMessage();
      continue;
    }
    ASSERT_TRUE(base->OpenMessage()) << std::hex << base->GetStatus();
    std::string from, to, subject;
    base->GetFrom(from);
    base->GetTo(to);
    base->GetSubject(subject);
    EXPECT_EQ(from, m["from"].text);
    EXPECT_EQ(to, m["to"].text);
    EXPECT_EQ(subject, m["subject"].text);
    // A field of 0 (the slot a packer emptied) reads as no date rather than as 1970.
    const std::string noDate = "0000-00-00 00:00:00";
    EXPECT_EQ(DateWritten(*base),
              m["date_written_raw"].Int() == 0 ? noDate : m["date_written"].text);
    EXPECT_EQ(DateArrived(*base),
              m["date_processed_raw"].Int() == 0 ? noDate : m["date_processed"].text);

    // Expected text: kludge lines from the subfields, the stored text, then trace, seen-by
    // and path lines; MSGID lines are compared on their own below.
    std::vector<std::string> head, tail[3];
    std::string msgIdData;
    bool hasMsgId = false;
    FtnAddress origin;
    for (const JsonValue& sf : m["subfields"].items) {
      const long long id = sf["id"].Int();
      const std::string data = CutShort(sf["data"].text);
      if (id == 4) {
        hasMsgId = true;
        msgIdData = data;
      }
      if (id == 0) ParseAddress(data, origin);
      if (id == 5) head.push_back("\x01REPLY: " + data);
      if (id == 7) head.push_back("\x01PID: " + data);
      if (id == 2000) head.push_back("\x01" + data);
      if (id == 2003)
        head.push_back(
            "\x01"
            "FLAGS: " +
            data);
      if (id == 8) tail[0].push_back("\x01Via " + data);
      if (id == 2001) tail[1].push_back("SEEN-BY: " + data);
      if (id == 2002) tail[2].push_back("\x01PATH: " + data);
    }
    // The lines made from subfields follow the stored text directly, also where a damaged
    // text does not end with CR.
    std::string expectedText;
    for (const std::string& line : head) expectedText += line + "\r";
    const std::vector<std::string> textLines = Strings(m["text_lines"]);
    for (std::size_t i = 0; i < textLines.size(); ++i) {
      expectedText += textLines[i];
      if (i + 1 < textLines.size() || m["text_ends_with_cr"].boolean) expectedText += "\r";
    }
    for (const auto& part : tail) {
      for (const std::string& line : part) expectedText += line + "\r";
    }
    const std::vector<std::string> expected = SplitAtCr(expectedText);

    std::vector<std::string> actual, msgIds;
    for (std::string& line : SplitAtCr(base->GetText()->Bytes())) {
      if (line.rfind("\x01MSGID: ", 0) == 0) {
        msgIds.push_back(line);
      } else {
        actual.push_back(std::move(line));
      }
    }
    EXPECT_EQ(actual, expected);
    if (origin.zone != 0) {
      ASSERT_EQ(msgIds.size(), 1u);
      const std::string prefix = "\x01MSGID: " + FormatAddress(origin) + " ";
      EXPECT_EQ(msgIds[0].substr(0, prefix.size()), prefix);
      if (hasMsgId) {
        EXPECT_EQ(msgIds[0], prefix + std::string(WordOf(msgIdData, 2, " ")));
      } else {
        EXPECT_TRUE(IsHex8(msgIds[0].substr(prefix.size()))) << msgIds[0];
      }
      FtnAddress orig;
      base->GetOrigAddr(orig);
      EXPECT_EQ(FormatAddress(orig), FormatAddress(origin));
    } else if (hasMsgId) {
      ASSERT_EQ(msgIds.size(), 1u);
      EXPECT_EQ(msgIds[0], "\x01MSGID: " + msgIdData);
    } else {
      EXPECT_TRUE(msgIds.empty());
    }
    EXPECT_TRUE(base->CloseMessage());
  }
  EXPECT_EQ(visited, expectedNumbers);
  CloseMessageBase(base);
  // Nothing written, nothing created (no name.JLR either).
  EXPECT_TRUE(Snapshot(directory) == before);
}

INSTANTIATE_TEST_SUITE_P(Crashmail, JamFixture,
                         ::testing::Values("crashmail/jam/cmjamtalk.json",
                                           "crashmail/jam/CM_JAM_SMALL.json",
                                           "crashmail/jam/linked.json", "crashmail/jam/maint.json",
                                           "crashmail/jam/packed.json"));
INSTANTIATE_TEST_SUITE_P(Smapi, JamFixture,
                         ::testing::Values("smapi/jam/smjamtalk.json", "smapi/jam/killed.json"));

// The fed message that became a stored one, by the number its writer reported.
const JsonValue* FedFor(const JsonValue& manifest, long long number) {
  for (const char* key : {"fed_in_toss_order", "fed_in_write_order"}) {
    for (const JsonValue& fed : manifest[key].items) {
      const JsonValue& assigned =
          fed["number_assigned"].IsNull() ? fed["msgn_after_write"] : fed["number_assigned"];
      if (!assigned.IsNull() && assigned.Int() == number) return &fed;
    }
  }
  return nullptr;
}

class MsgFixture : public ::testing::TestWithParam<const char*> {};

TEST_P(MsgFixture, ReadsWhatTheManifestRecords) {
  if (!DirectoryExists(kFixtures)) GTEST_SKIP() << "fixtures not found at " << kFixtures;
  JsonValue manifest;
  ASSERT_TRUE(LoadManifest(GetParam(), manifest));
  const std::string directory = kFixtures + "/" + manifest["base_path"].text;
  const auto before = Snapshot(directory);

  std::unique_ptr<MessageBase> base;
  std::int32_t lastError = 0;
  ASSERT_TRUE(OpenMessageBase("F" + directory, base, &lastError)) << lastError;

  std::map<std::int32_t, const JsonValue*> stored;
  for (const JsonValue& m : manifest["stored"].items) {
    stored[static_cast<std::int32_t>(m["number"].Int())] = &m;
  }
  std::vector<std::int32_t> expectedNumbers;
  for (const auto& entry : stored) expectedNumbers.push_back(entry.first);
  EXPECT_EQ(base->GetHigh(), expectedNumbers.back());
  EXPECT_EQ(base->GetCount(), static_cast<std::int32_t>(expectedNumbers.size()));

  std::vector<std::int32_t> visited;
  for (base->SeekFrom(0); base->SeekFound(); base->SeekNext()) {
    const std::int32_t n = base->GetCurrent();
    visited.push_back(n);
    SCOPED_TRACE("message " + std::to_string(n));
    ASSERT_TRUE(stored.count(n));
    const JsonValue& m = *stored[n];
    ASSERT_TRUE(base->OpenMessage()) << std::hex << base->GetStatus();
    std::string from, to, subject;
    base->GetFrom(from);
    base->GetTo(to);
    base->GetSubject(subject);
    EXPECT_EQ(from, m["from"].text);
    EXPECT_EQ(to, m["to"].text);
    EXPECT_EQ(subject, m["subject"].text);
    EXPECT_EQ(SplitAtCr(base->GetText()->Bytes()), Strings(m["text_lines"]));
    EXPECT_EQ(base->GetTextSize(),
              m["file_size"].Int() - 190 - (m["text_ends_with_zero"].boolean ? 1 : 0));

    MsgDateTime date;
    if (!m["date_arrived_as_dos"].IsNull()) {
      base->GetDateArrived(date);
      EXPECT_EQ(Render(date), m["date_arrived_as_dos"].text);
    }
    // Packing renumbers the files, so the writer's numbers no longer name them.
    const bool renumbered = manifest["crashmaint"]["mode"].text.find("PACK") != std::string::npos;
    if (const JsonValue* fed = renumbered ? nullptr : FedFor(manifest, n)) {
      base->GetDateWritten(date);
      std::string written = (*fed)["date_written"].text;
      if ((*fed)["date_text_form"].text == "seadog") written.replace(17, 2, "00");
      std::string actual = Render(date);
      // A DOS time has two-second steps: the date text the writer made from it may lag.
      if (actual != written) {
        EXPECT_EQ(actual.substr(0, 17), written.substr(0, 17));
        EXPECT_LE(std::stoi(written.substr(17)) - std::stoi(actual.substr(17)), 1) << written;
      }
    }

    // With a MSGID and no INTL line the origin is the MSGID's address.
    std::string msgIdAddress;
    bool intl = false;
    for (const std::string& line : Strings(m["text_lines"])) {
      if (line.rfind("\x01INTL", 0) == 0) intl = true;
      if (line.rfind("\x01MSGID: ", 0) == 0 && msgIdAddress.empty()) {
        msgIdAddress = std::string(WordOf(line, 2, " "));
      }
    }
    FtnAddress orig, dest;
    base->GetAddrs(dest, orig);
    if (!intl && !msgIdAddress.empty()) {
      FtnAddress expected;
      ASSERT_TRUE(ParseAddress(msgIdAddress, expected));
      EXPECT_EQ(FormatAddress(orig), FormatAddress(expected));
    }
    if (intl) {
      FtnAddress expected;
      expected.zone = 2;
      expected.net = static_cast<std::int16_t>(m["dest_net"].Int());
      expected.node = static_cast<std::int16_t>(m["dest_node"].Int());
      EXPECT_EQ(FormatAddress3D(dest), FormatAddress3D(expected));
    }
    EXPECT_TRUE(base->CloseMessage());
  }
  EXPECT_EQ(visited, expectedNumbers);
  CloseMessageBase(base);
  EXPECT_TRUE(Snapshot(directory) == before);
}

INSTANTIATE_TEST_SUITE_P(Crashmail, MsgFixture,
                         ::testing::Values("crashmail/msg/talk.json", "crashmail/msg/plain.json",
                                           "crashmail/msg/maint.json", "crashmail/msg/packed.json",
                                           "crashmail/msg/netmail.json", "crashmail/msg/bad.json"));
INSTANTIATE_TEST_SUITE_P(Smapi, MsgFixture,
                         ::testing::Values("smapi/msg/talk.json", "smapi/msg/killed.json"));

}  // namespace
}  // namespace tarnik
