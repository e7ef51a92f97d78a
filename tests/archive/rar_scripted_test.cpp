// TRAR over a scripted library: the pass algorithm, its failure table row by row, and the edge
// cases a real library cannot easily be made to produce.
#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "archive/installer_password.h"
#include "archive/rar.h"
#include "tests/archive/header_name.h"
#include "tests/archive/scripted_unrar.h"

namespace {

using archive::TRAR;
using archive_test::ScriptedEntry;
using archive_test::ScriptedUnrar;

// Records the events of a pass in order: "testing a", "tested a ok", "error 12", ...
struct EventLog {
  std::vector<std::string> events;

  void Attach(TRAR& rar) {
    rar.OnError = [this](TRAR&, int code) { events.push_back("error " + std::to_string(code)); };
    rar.OnTesting = [this](TRAR&, RARHeaderData h) { events.push_back("testing " + HeaderName(h)); };
    rar.OnTested = [this](TRAR&, RARHeaderData h, bool ok) {
      events.push_back("tested " + HeaderName(h) + (ok ? " ok" : " failed"));
    };
    rar.OnExtracting = [this](TRAR&, RARHeaderData h) { events.push_back("extracting " + HeaderName(h)); };
    rar.OnExtract = [this](TRAR&, RARHeaderData h, bool ok) {
      events.push_back("extracted " + HeaderName(h) + (ok ? " ok" : " failed"));
    };
  }
};

using Events = std::vector<std::string>;

class TRARScripted : public ::testing::Test {
 protected:
  TRARScripted() : rar(lib) {
    rar.ArchiveName = L"D:\\BASE.RAR";
    log.Attach(rar);
  }
  void Entries(std::vector<ScriptedEntry> e) { lib.entries = std::move(e); }

  ScriptedUnrar lib;
  TRAR rar;
  EventLog log;
};

// --- the failure table -------------------------------------------------------------------------

TEST_F(TRARScripted, EmptyArchiveNameReportsBadArchiveWithoutCallingTheLibrary) {
  rar.ArchiveName.clear();
  EXPECT_FALSE(rar.Test());
  EXPECT_FALSE(rar.Extract());
  EXPECT_EQ(log.events, (Events{"error 13", "error 13"}));
  EXPECT_TRUE(lib.calls.empty());
}

TEST_F(TRARScripted, FailedOpenReportsTheOpenResultAndClosesOnlyAReturnedHandle) {
  lib.openResult = ERAR_EOPEN;
  EXPECT_FALSE(rar.Test());
  EXPECT_EQ(log.events, (Events{"error 15"}));
  EXPECT_EQ(lib.calls, (Events{"open"}));

  ScriptedUnrar withHandle;
  withHandle.openResult = ERAR_BAD_ARCHIVE;
  withHandle.handleOnFailure = true;
  TRAR other(withHandle);
  other.ArchiveName = L"x.rar";
  EXPECT_FALSE(other.Extract());
  EXPECT_EQ(withHandle.calls, (Events{"open", "close"}));
}

TEST_F(TRARScripted, CleanArchiveTestsEveryEntryFoldersIncluded) {
  Entries({{"DOC"}, {"DOC\\A.TXT"}, {"B.TXT"}});
  EXPECT_TRUE(rar.Test());
  EXPECT_EQ(log.events, (Events{"testing DOC", "tested DOC ok", "testing DOC\\A.TXT",
                                "tested DOC\\A.TXT ok", "testing B.TXT", "tested B.TXT ok"}));
  EXPECT_EQ(lib.openedName, L"D:\\BASE.RAR");
  EXPECT_EQ(lib.openedMode, unsigned(RAR_OM_EXTRACT));  // testing opens for extraction too
  EXPECT_EQ(lib.Count("process 1"), 3u);                 // no destination when testing
  EXPECT_EQ(lib.Count("close"), 1u);
  EXPECT_EQ(lib.calls.back(), "close");
}

TEST_F(TRARScripted, TheWholeUnpackedSizeOfEachEntryIsKnownToItsEvents) {
  Entries({{"SMALL", 0, 7}, {"BIG", 0, 5000000000ull}});
  std::vector<std::pair<unsigned, uint64_t>> seen;  // the header's UnpSize, the whole size
  rar.OnTested = [&](TRAR& sender, RARHeaderData h, bool) {
    seen.emplace_back(h.UnpSize, sender.EntryUnpSize());
  };
  rar.OnExtract = rar.OnTested;
  for (bool testing : {true, false}) {
    seen.clear();
    EXPECT_TRUE(testing ? rar.Test() : rar.Extract());
    EXPECT_EQ(seen, (std::vector<std::pair<unsigned, uint64_t>>{
                        {7u, 7u}, {705032704u, 5000000000ull}}));
  }
}

TEST_F(TRARScripted, BrokenHeaderEndsThePassAsAFailure) {
  Entries({{"A"}, {"B"}});
  lib.endCode = ERAR_BAD_DATA;
  EXPECT_FALSE(rar.Test());
  EXPECT_EQ(log.events, (Events{"testing A", "tested A ok", "testing B", "tested B ok", "error 12"}));
  EXPECT_EQ(lib.Count("close"), 1u);

  // A missing volume or undecryptable headers leave entries unread just the same.
  for (int code : {ERAR_EOPEN, ERAR_EREAD, ERAR_BAD_PASSWORD, ERAR_MISSING_PASSWORD}) {
    ScriptedUnrar other;
    other.entries = {{"A"}};
    other.endCode = code;
    TRAR rar2(other);
    EventLog log2;
    log2.Attach(rar2);
    rar2.ArchiveName = L"x";
    EXPECT_FALSE(rar2.Extract()) << code;
    EXPECT_EQ(log2.events, (Events{"extracting A", "extracted A ok", "error " + std::to_string(code)}));
  }
}

TEST_F(TRARScripted, TheArchivesOwnEndIsACleanFinish) {
  Entries({{"A"}});
  lib.endCode = ERAR_END_ARCHIVE;
  EXPECT_TRUE(rar.Test());
  EXPECT_EQ(log.events, (Events{"testing A", "tested A ok"}));
}

TEST_F(TRARScripted, BrokenHeaderAfterAFailedEntryKeepsTheFailure) {
  Entries({{"A", 0, 0, ERAR_BAD_DATA}});
  lib.endCode = ERAR_BAD_DATA;
  EXPECT_FALSE(rar.Test());
  EXPECT_EQ(log.events, (Events{"testing A", "tested A failed", "error 12", "error 12"}));
}

TEST_F(TRARScripted, BadDataAndCreateErrorsSpoilOnlyTheirEntry) {
  Entries({{"A", 0, 0, ERAR_BAD_DATA}, {"B"}, {"C", 0, 0, ERAR_ECREATE}, {"D"}});
  EXPECT_FALSE(rar.Extract());
  EXPECT_EQ(log.events, (Events{"extracting A", "extracted A failed", "error 12",
                                "extracting B", "extracted B ok",
                                "extracting C", "extracted C failed", "error 16",
                                "extracting D", "extracted D ok"}));
  EXPECT_EQ(lib.Count("close"), 1u);
}

TEST_F(TRARScripted, AnyOtherEntryErrorEndsThePass) {
  for (int code : {ERAR_MISSING_PASSWORD, ERAR_EOPEN, ERAR_EWRITE, ERAR_UNKNOWN}) {
    ScriptedUnrar l;
    l.entries = {{"A"}, {"B", 0, 0, code}, {"C"}};
    TRAR r(l);
    EventLog e;
    e.Attach(r);
    r.ArchiveName = L"x";
    EXPECT_FALSE(r.Test()) << code;
    EXPECT_EQ(e.events, (Events{"testing A", "tested A ok", "testing B", "tested B failed",
                                "error " + std::to_string(code)})) << code;
    EXPECT_EQ(l.calls.back(), "close");
    EXPECT_EQ(l.Count("read"), 2u) << "no header read after the fatal error";
  }
}

TEST_F(TRARScripted, FilesToTestSkipsOtherEntriesSilentlyAndMatchesWithoutCase) {
  // "Папка\файл.txt" in 866 is stored in capitals in the archive.
  const std::string upper866 = "\x8f\x80\x8f\x8a\x80\\\x94\x80\x89\x8b.TXT";
  Entries({{"A"}, {upper866}, {"Z"}});
  rar.SetFilesToTest({L"папка\\файл.txt", L"ПАПКА\\ФАЙЛ.TXT", L"missing"});
  EXPECT_TRUE(rar.Test());
  EXPECT_EQ(log.events, (Events{"testing " + upper866, "tested " + upper866 + " ok"}));
  EXPECT_EQ(lib.Count("process 0"), 2u);
  EXPECT_EQ(lib.Count("process 1"), 1u);
}

// Names outside code page 866 all read "caf?.txt" in the header record: the list matches the
// Unicode name, and every event sees the name of its own entry.
TEST_F(TRARScripted, FilesToTestMatchesTheUnicodeNameThatEveryEventSees) {
  ScriptedEntry acute("caf?.txt"), grave("caf?.txt");
  acute.wideName = L"café.txt";
  grave.wideName = L"cafè.txt";
  Entries({acute, grave, {"\x80\xA1.txt"}});
  std::vector<std::wstring> seen;
  rar.OnTesting = [&](TRAR& sender, RARHeaderData) {
    seen.push_back(L"testing " + sender.EntryNameW());
  };
  rar.OnTested = [&](TRAR& sender, RARHeaderData, bool) {
    seen.push_back(L"tested " + sender.EntryNameW());
  };
  rar.SetFilesToTest({L"CAFÈ.TXT", L"аб.TXT"});
  EXPECT_TRUE(rar.Test());
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"testing cafè.txt", L"tested cafè.txt",
                                             L"testing Аб.txt", L"tested Аб.txt"}));
  EXPECT_EQ(lib.Count("process 0"), 1u);
}

TEST_F(TRARScripted, FailedSkipEndsThePassAsAFailure) {
  // The scripted library fails a skip when the entry script says so for RAR_SKIP: emulate by a
  // subclass answering every skip with a read error.
  struct FailingSkip : ScriptedUnrar {
    int ProcessFile(HANDLE h, int op, const wchar_t* dest) override {
      const int code = ScriptedUnrar::ProcessFile(h, op, dest);
      return op == RAR_SKIP ? ERAR_EREAD : code;
    }
  } l;
  l.entries = {{"A"}, {"B"}};
  TRAR r(l);
  EventLog e;
  e.Attach(r);
  r.ArchiveName = L"x";
  r.TargetDir = L"C:\\Dest\\";
  r.SetFilesToExtract({L"B"});
  EXPECT_FALSE(r.Extract());
  EXPECT_EQ(e.events, (Events{"error 18"}));
  EXPECT_EQ(l.calls, (Events{"open", "callback", "read", "process 0 C:\\Dest\\", "close"}));
}

// --- the rest of the pass ----------------------------------------------------------------------

TEST_F(TRARScripted, ExtractHandsTheTargetFolderOnlyWhenSet) {
  Entries({{"A"}});
  rar.TargetDir = L"C:\\Program files\\Firm\\";
  EXPECT_TRUE(rar.Extract());
  EXPECT_EQ(lib.Count("process 2 C:\\Program files\\Firm\\"), 1u);

  ScriptedUnrar l;
  l.entries = {{"A"}};
  TRAR r(l);
  r.ArchiveName = L"x";
  EXPECT_TRUE(r.Extract());
  EXPECT_EQ(l.Count("process 2"), 1u);
}

TEST_F(TRARScripted, CommentBuffersAreOfferedOneByteShortAndTheCommentIsReported) {
  lib.commentState = 1;
  lib.comment = "Sketrion";
  Entries({{"A"}});
  std::string seen;
  int seenSize = -1;
  rar.OnComment = [&](TRAR&, const archive::TComment& c) {
    seenSize = c.CmtSize;
    seen.assign(c.Comment, static_cast<size_t>(c.CmtSize));
  };
  EXPECT_TRUE(rar.Test());
  EXPECT_EQ(seenSize, 8);
  EXPECT_EQ(seen, "Sketrion");
  EXPECT_EQ(lib.openCmtBufSize, 65535u);
  EXPECT_EQ(lib.headerCmtBufSize, 65535u);
}

TEST_F(TRARScripted, NameWithoutNulIsTakenWhole260Characters) {
  Entries({{std::string(300, 'N')}});
  size_t length = 0;
  rar.OnTested = [&](TRAR&, RARHeaderData h, bool) { length = HeaderName(h).size(); };
  EXPECT_TRUE(rar.Test());
  EXPECT_EQ(length, 260u);
}

TEST_F(TRARScripted, StopFromAnEventEndsThePassBeforeTheNextEntry) {
  Entries({{"A", 0, 0, ERAR_BAD_DATA}, {"B"}, {"C"}});
  rar.OnTested = [&](TRAR& sender, RARHeaderData h, bool ok) {
    log.events.push_back("tested " + HeaderName(h));
    sender.Stop = true;
  };
  EXPECT_FALSE(rar.Test());  // the result so far
  EXPECT_EQ(log.events, (Events{"testing A", "tested A", "error 12"}));
  EXPECT_FALSE(rar.Stop);
  EXPECT_EQ(lib.Count("process 1"), 1u);
  EXPECT_EQ(lib.calls.back(), "close");
}

TEST_F(TRARScripted, EncryptedEntriesAskForThePasswordWhichIsKeptForTheNextOnes) {
  Entries({{"A", RHDF_ENCRYPTED}, {"B"}, {"C", RHDF_ENCRYPTED}});
  int asked = 0;
  rar.OnReqPassword = [&](TRAR&, RARHeaderData, std::string& password) {
    ++asked;
    if (password.empty()) password = archive::InstallerPassword();
    else password += "!";  // what the handler received is the pass's string so far
  };
  EXPECT_TRUE(rar.Test());
  EXPECT_EQ(asked, 2);
  const std::string pw = archive::InstallerPassword();
  EXPECT_EQ(lib.calls, (Events{"open", "callback", "read", "password " + pw, "process 1", "read",
                               "process 1", "read", "password " + pw + "!", "process 1", "read",
                               "close"}));
}

TEST_F(TRARScripted, EncryptedEntryWithoutAPasswordHandlerFailsByTheTable) {
  Entries({{"A", RHDF_ENCRYPTED, 0, ERAR_MISSING_PASSWORD}, {"B"}});
  EXPECT_FALSE(rar.Test());
  EXPECT_EQ(lib.Count("password " + archive::InstallerPassword()), 0u);
  EXPECT_EQ(log.events, (Events{"testing A", "tested A failed", "error 22"}));

  // An empty answer sets no password either.
  ScriptedUnrar l;
  l.entries = {{"A", RHDF_ENCRYPTED}};
  TRAR r(l);
  r.ArchiveName = L"x";
  r.OnReqPassword = [](TRAR&, RARHeaderData, std::string&) {};
  EXPECT_TRUE(r.Test());
  for (const auto& c : l.calls) EXPECT_NE(c.rfind("password", 0), 0u) << c;
}

TEST(InstallerPassword, IsTwentyLettersDigitsOrUnderscoresTheSameEveryTime) {
  const std::string pw = archive::InstallerPassword();
  EXPECT_EQ(pw.size(), 20u);
  for (char c : pw) EXPECT_TRUE(isalnum(static_cast<unsigned char>(c)) || c == '_') << c;
  EXPECT_EQ(archive::InstallerPassword(), pw);
}

// --- the library's callbacks -------------------------------------------------------------------

TEST_F(TRARScripted, DataCallbackCountsThePositionPerEntryAndPassesTheEventsAnswer) {
  Entries({{"A", 0, 0, ERAR_SUCCESS, {100, 28}}, {"B", 0, 0, ERAR_SUCCESS, {7}}});
  std::vector<std::string> seen;
  rar.OnProcessData = [&](TRAR& sender, unsigned char* addr, int size, int position) {
    EXPECT_EQ(&sender, &rar);
    EXPECT_EQ(addr[0], 0x5a);
    seen.push_back(std::to_string(size) + "@" + std::to_string(position));
    return 5;
  };
  EXPECT_TRUE(rar.Extract());
  EXPECT_EQ(seen, (Events{"100@100", "28@128", "7@7"}));
  EXPECT_EQ(lib.dataResult, 5);
  // The callback finds the component through its user data, not through any global.
  EXPECT_EQ(lib.userData, reinterpret_cast<LPARAM>(&rar));
}

// Records the time of every pump on a clock the test moves.
struct TimedPump : archive::MessagePump {
  std::chrono::steady_clock::time_point now{};
  std::vector<long> pumpedAt;  // ms
  void ProcessPendingMessages() override {
    pumpedAt.push_back(static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count()));
  }
  TRAR::Clock Clock() {
    return [this] { return now; };
  }
};

TEST_F(TRARScripted, MessagesRunDuringALongEntryOfEitherPassAtMostEvery50ms) {
  TimedPump pump;
  TRAR r(lib, pump.Clock());
  r.ArchiveName = L"x";
  r.SetMessagePump(&pump);
  // Every block takes 25 ms to unpack.
  r.OnProcessData = [&](TRAR&, unsigned char*, int, int) {
    pump.now += std::chrono::milliseconds(25);
    return 1;
  };
  Entries({{"A", 0, 0, ERAR_SUCCESS, {4096, 4096, 4096, 4096, 4096}}});
  EXPECT_TRUE(r.Extract());
  EXPECT_EQ(pump.pumpedAt, (std::vector<long>{0, 50, 100}));
  EXPECT_TRUE(r.Test()) << "testing pumps too";
  EXPECT_EQ(pump.pumpedAt, (std::vector<long>{0, 50, 100, 150, 200, 250}));

  // Without OnProcessData the library is told to go on.
  EXPECT_TRUE(rar.Test());
  EXPECT_GT(lib.dataResult, 0);
}

TEST_F(TRARScripted, EntriesInQuickSuccessionRunMessagesEvery50msNotForEachOne) {
  // Whenever messages run, the windows show the entry the last OnTesting named.
  struct ShowingPump : TimedPump {
    std::string current;
    std::vector<std::string> shown;
    void ProcessPendingMessages() override {
      TimedPump::ProcessPendingMessages();
      shown.push_back(current);
    }
  } pump;
  TRAR r(lib, pump.Clock());
  r.ArchiveName = L"x";
  r.SetMessagePump(&pump);
  r.OnTesting = [&](TRAR&, RARHeaderData h) { pump.current = HeaderName(h); };
  // Every entry takes 20 ms.
  r.OnTested = [&](TRAR&, RARHeaderData, bool) { pump.now += std::chrono::milliseconds(20); };
  std::vector<ScriptedEntry> entries;
  for (char c = 'a'; c <= 'h'; ++c) entries.push_back({std::string(1, c)});
  Entries(entries);
  EXPECT_TRUE(r.Test());
  // As the first entry begins, then after every third one.
  EXPECT_EQ(pump.pumpedAt, (std::vector<long>{0, 60, 120}));
  EXPECT_EQ(pump.shown, (std::vector<std::string>{"a", "c", "f"}));

  // A caller between passes (160 ms now) asks the same pump, which goes on from its last time.
  r.ProcessMessagesDue();
  EXPECT_EQ(pump.pumpedAt.size(), 3u);
  pump.now += std::chrono::milliseconds(10);
  r.ProcessMessagesDue();
  EXPECT_EQ(pump.pumpedAt.back(), 170);
}

TEST(ThrottledPump, PumpsAtOnceThenAtMostEveryInterval) {
  using namespace std::chrono;
  steady_clock::time_point now{};
  struct CountingPump : archive::MessagePump {
    int calls = 0;
    void ProcessPendingMessages() override { ++calls; }
  } pump;
  archive::ThrottledPump throttle(milliseconds(50), [&] { return now; });
  throttle.Poll();  // no pump: nothing happens
  throttle.SetPump(&pump);
  throttle.Poll();
  EXPECT_EQ(pump.calls, 1);
  now += milliseconds(49);
  throttle.Poll();
  EXPECT_EQ(pump.calls, 1);
  now += milliseconds(1);
  throttle.Poll();
  EXPECT_EQ(pump.calls, 2);
}

TEST_F(TRARScripted, AMissingVolumeIsAskedOfTheAssignedEventOnly) {
  Entries({{"A"}});
  EXPECT_TRUE(rar.Test());
  char missing[] = "BASE.R00";
  // Without the event a missing volume cannot be found, and a notice goes on.
  EXPECT_EQ(lib.AskVolume(missing, RAR_VOL_ASK), -1);
  EXPECT_EQ(lib.AskVolume(missing, RAR_VOL_NOTIFY), 1);

  std::string asked;
  int askedMode = -1;
  rar.OnVolumeChange = [&](TRAR&, char* name, int mode) {
    asked = name;
    askedMode = mode;
    return 1;
  };
  ScriptedUnrar l;
  l.entries = {{"A"}};
  TRAR r(l);
  r.ArchiveName = L"x";
  r.OnVolumeChange = rar.OnVolumeChange;
  EXPECT_TRUE(r.Test());
  char name[] = "BASE.R00";
  EXPECT_EQ(l.AskVolume(name, RAR_VOL_NOTIFY), 1);
  EXPECT_EQ(asked, "BASE.R00");
  EXPECT_EQ(askedMode, RAR_VOL_NOTIFY);
  // An answer of 0 stops the library, as it did the older volume procedure.
  r.OnVolumeChange = [](TRAR&, char*, int) { return 0; };
  EXPECT_EQ(l.AskVolume(name, RAR_VOL_ASK), -1);
}

TEST_F(TRARScripted, HandlerExceptionsEndThePassWithTheArchiveClosed) {
  // Thrown from an event the pass raises itself.
  Entries({{"A"}, {"B"}});
  rar.OnTested = [](TRAR&, RARHeaderData, bool) { throw std::runtime_error("label gone"); };
  EXPECT_THROW(rar.Test(), std::runtime_error);
  EXPECT_EQ(lib.calls.back(), "close");

  // Thrown inside the library's data callback: the library is told to stop, and the error
  // comes out once it has returned.
  ScriptedUnrar l;
  l.entries = {{"A", 0, 0, ERAR_SUCCESS, {10, 10}}, {"B"}};
  TRAR r(l);
  r.ArchiveName = L"x";
  int blocks = 0;
  r.OnProcessData = [&](TRAR&, unsigned char*, int, int) -> int {
    ++blocks;
    throw std::runtime_error("disk gone");
  };
  EventLog e;
  e.Attach(r);
  EXPECT_THROW(r.Extract(), std::runtime_error);
  EXPECT_EQ(blocks, 1);
  EXPECT_EQ(l.dataResult, -1);
  EXPECT_EQ(l.calls.back(), "close");
  EXPECT_EQ(e.events, (Events{"extracting A"}));

  // The next pass starts clean.
  r.OnProcessData = nullptr;
  e.events.clear();
  EXPECT_TRUE(r.Extract());
  EXPECT_EQ(e.events, (Events{"extracting A", "extracted A ok", "extracting B", "extracted B ok"}));
}

}  // namespace
