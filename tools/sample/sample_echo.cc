#include "sample_echo.h"

#include <algorithm>
#include <memory>
#include <set>
#include <string_view>
#include <utility>

#include "common/charset.h"
#include "common/clock.h"
#include "common/cp866.h"
#include "common/text.h"
#include "core/calendar.h"
#include "msgbase/kludge.h"
#include "msgbase/message_base.h"

namespace tarnik::sample {
namespace {

constexpr std::size_t kWrapColumn = 72;
constexpr std::size_t kRecentMessages = 24;
constexpr std::size_t kQuotableLines = 10;
constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::string_view kKludgeChrs =
    "\x01"
    "CHRS:";
constexpr std::string_view kKludgeTzutc = "\x01TZUTC:";
// What the header fields of the three formats hold, the terminating 0 left out.
constexpr std::size_t kNameBytes = 35;
constexpr std::size_t kSubjectBytes = 71;

// Writing by hour of the day: little at night, a peak in the evening.
constexpr int kHourWeights[] = {3, 2, 1, 1, 1,  1,  2,  4,  6,  7,  8,  8,
                                9, 9, 8, 9, 10, 12, 15, 19, 22, 20, 14, 7};

constexpr std::int16_t kNets[] = {5020, 5020, 5020, 5030, 5010, 450,  463,  469,  4500,
                                  5000, 280,  292,  2410, 2420, 2432, 5054, 5080, 461};

std::string Replace(std::string_view form, std::string_view mark, std::string_view value) {
  std::string out(form);
  std::size_t at = out.find(mark);
  if (at != std::string::npos) out.replace(at, mark.size(), value);
  return out;
}

// "Ivan Petrov" -> "IP": the quote mark of that writer's lines.
std::string Initials(std::string_view name) {
  std::string out;
  int words = WordCount(name, " ");
  if (words > 0) out += WordOf(name, 1, " ").front();
  if (words > 1) out += WordOf(name, words, " ").front();
  return out;
}

// The TZUTC value of an offset in hours: "0300", "-0500".
std::string TzUtc(int hours) {
  std::string out = hours < 0 ? "-" : "";
  int a = hours < 0 ? -hours : hours;
  out += TwoDigits(a);
  out += "00";
  return out;
}

LocalTime LocalTimeOf(std::int64_t t) {
  LocalTime time;
  std::int32_t day = 0, month = 0, year = 0;
  DateOfDayNumber(static_cast<std::int32_t>(t / kSecondsPerDay), day, month, year);
  std::int64_t second = t % kSecondsPerDay;
  time.year = year;
  time.month = month;
  time.day = day;
  time.hour = static_cast<int>(second / 3600);
  time.minute = static_cast<int>(second / 60 % 60);
  time.second = static_cast<int>(second % 60);
  return time;
}

// The message date of a moment, converted as the bases convert their clock's time.
MsgDateTime MsgDateOf(std::int64_t t) { return MsgDateTimeNow(FixedClock(LocalTimeOf(t))); }

// Writing times in ascending order (seconds counted from day number 0), on the span of days
// before the reference day; weekends are a little busier than working days.
std::vector<std::int64_t> MakeTimes(int count, const NodeContext& context, SampleRandom& random) {
  std::vector<std::int64_t> times;
  times.reserve(static_cast<std::size_t>(count));
  while (static_cast<int>(times.size()) < count) {
    std::int32_t day = context.referenceDay - 1 - random.Between(0, context.spanDays - 1);
    int weekday = static_cast<int>((day + 1) % 7);
    if (weekday != 0 && weekday != 6 && random.Chance(0.2)) continue;
    std::int64_t second =
        static_cast<std::int64_t>(random.Weighted(kHourWeights)) * 3600 + random.Between(0, 3599);
    times.push_back(static_cast<std::int64_t>(day) * kSecondsPerDay + second);
  }
  std::sort(times.begin(), times.end());
  return times;
}

// Words of text joined into lines of at most kWrapColumn bytes.
void Wrap(std::string_view text, std::vector<std::string>& lines) {
  std::string line;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find(' ', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view word = text.substr(at, end - at);
    at = end + 1;
    if (word.empty()) continue;
    if (!line.empty() && line.size() + 1 + word.size() > kWrapColumn) {
      lines.push_back(std::move(line));
      line.clear();
    }
    if (!line.empty()) line += ' ';
    line.append(word);
  }
  if (!line.empty()) lines.push_back(std::move(line));
}

// "SEEN-BY: 450/1 5020/1 52 758": net/node pairs sorted, the net left out where it repeats.
std::string NetNodeList(std::string_view prefix, const std::vector<std::pair<int, int>>& list) {
  std::string out(prefix);
  int net = -1;
  for (const auto& [n, f] : list) {
    out += ' ';
    if (n != net) out += Decimal(n) + "/";
    out += Decimal(f);
    net = n;
  }
  return out;
}

// A message already written, as later replies need it.
struct Posted {
  std::size_t person = 0;
  std::string usedName;
  std::string subject;  // without "Re: "
  std::string msgId;    // the MSGID kludge's value
  std::vector<std::string> quotable;
};

class EchoComposer {
 public:
  EchoComposer(const EchoSpec& spec, const NodeContext& context, SampleRandom& random)
      : spec_(spec), context_(context), random_(random) {
    const double share = spec.cyrillicShare;
    const double cyrillicChance = std::min(1.0, 2.0 * share) * context.participation;
    const double latinChance = std::min(1.0, 2.0 * (1.0 - share)) * context.participation;
    for (std::size_t i = 0; i < context.people.size(); ++i) {
      if (random_.Chance(context.people[i].cyrillic ? cyrillicChance : latinChance)) {
        writers_.push_back(i);
      }
    }
    if (writers_.empty()) writers_.push_back(0);
    for (std::size_t i = writers_.size(); i > 1; --i) {
      std::swap(writers_[i - 1], writers_[static_cast<std::size_t>(random_.Below(i))]);
    }
    recent_.resize(kRecentMessages);
  }

  bool Write(MessageBase& base, FixedClock& clock, std::string& error) {
    std::vector<std::int64_t> times = MakeTimes(spec_.messages, context_, random_);
    std::string kludge;
    for (std::int64_t written : times) {
      // Most mail arrives within hours; some travels a day or two.
      const double u = random_.Unit();
      const std::int64_t arrived =
          written + 60 + static_cast<std::int64_t>(48.0 * 3600.0 * u * u * u);
      Compose();
      const Person& writer = context_.people[current_.person];
      // Decided by the message's place, not by the random stream, so the code page 866
      // messages stay what they were.
      const Charset* charset = MessageCharset(writer);
      clock.Set(LocalTimeOf(written));
      if (!base.NewMessage()) {
        error = "cannot start a message in " + spec_.tag;
        return false;
      }
      base.SetMsgType(1);
      if (charset != nullptr) {
        Encode(*charset);
        base.SetFrom(charset->converter.Convert(current_.usedName));
      } else {
        base.SetFrom(current_.usedName);
      }
      base.SetTo(to_);
      base.SetSubject(subject_);
      base.SetDateWritten(MsgDateTimeNow(clock));
      base.SetDateArrived(MsgDateOf(arrived));
      base.SetOrigAddr(true, writer.address);
      current_.msgId.clear();
      if (base.GetKludge(kKludgeMsgId, kludge)) {
        current_.msgId = std::string(Trim(std::string_view(kludge).substr(kKludgeMsgId.size())));
      }
      base.SeekText(base.GetTextSize());
      for (const std::string& line : kludges_) base.WriteLine(line);
      for (const std::string& line : body_) base.WriteLine(line);
      if (charset != nullptr) {
        base.WriteLine(charset->converter.Convert(
            OriginLine(context_.pools.origins[writer.origin], writer.address)));
      } else {
        base.WriteOrigin(context_.pools.origins[writer.origin], writer.address);
      }
      for (const std::string& line : trailer_) base.WriteLine(line);
      if (!base.WriteMessage()) {
        error = "cannot write a message in " + spec_.tag + " (status " + Decimal(base.GetStatus()) +
                ")";
        return false;
      }
      base.CloseMessage();
      recent_[posted_ % kRecentMessages] = std::move(current_);
      ++posted_;
    }
    return true;
  }

 private:
  // A charset other than code page 866 that some writers' editors use, with its CHRS kludge.
  struct Charset {
    Charset(std::string_view name, std::string_view level)
        : converter("CP866", name),
          kludge(std::string(kKludgeChrs) + " " + std::string(name) + " " + std::string(level)) {}
    CharsetConverter converter;
    std::string kludge;
  };

  // UTF-8 for every seventh message, KOI8-R for others, when a Cyrillic writer wrote it and its
  // names and subject fit the header fields in that charset (a name cut inside a character
  // would be another name); null for code page 866.
  const Charset* MessageCharset(const Person& writer) const {
    if (!context_.mixedCharsets || !writer.cyrillic) return nullptr;
    const Charset* charset = posted_ % 7 == 3 ? &utf8_ : posted_ % 11 == 5 ? &koi8_ : nullptr;
    if (charset == nullptr) return nullptr;
    if (charset->converter.Convert(current_.usedName).size() > kNameBytes ||
        charset->converter.Convert(to_).size() > kNameBytes ||
        charset->converter.Convert(subject_).size() > kSubjectBytes) {
      return nullptr;
    }
    return charset;
  }

  // The composed message in charset: header texts, its CHRS kludge, body.
  void Encode(const Charset& charset) {
    to_ = charset.converter.Convert(to_);
    subject_ = charset.converter.Convert(subject_);
    for (std::string& line : kludges_) {
      line = line.rfind(kKludgeChrs, 0) == 0 ? charset.kludge : charset.converter.Convert(line);
    }
    for (std::string& line : body_) line = charset.converter.Convert(line);
  }

  // Picks the writer, recipient and subject of the next message and builds its lines.
  void Compose() {
    current_ = Posted();
    kludges_.clear();
    body_.clear();
    trailer_.clear();
    const Posted* target = nullptr;
    if (posted_ > 0 && random_.Chance(0.6)) {
      std::size_t window = std::min<std::size_t>(posted_, kRecentMessages);
      std::size_t age = random_.Skewed(window, 2);
      target = &recent_[(posted_ - 1 - age) % kRecentMessages];
    }
    current_.person = writers_[random_.Skewed(writers_.size(), 3)];
    for (int tries = 0; target != nullptr && current_.person == target->person && tries < 4;
         ++tries) {
      current_.person = writers_[random_.Skewed(writers_.size(), 2)];
    }
    const Person& writer = context_.people[current_.person];
    const SamplePools& pools = context_.pools;
    // Some software (and some people) write the name in capitals or in small letters.
    if (random_.Chance(0.03)) {
      current_.usedName = UpperCase(writer.name);
    } else if (random_.Chance(0.01)) {
      current_.usedName = LowerCase(writer.name);
    } else {
      current_.usedName = writer.name;
    }

    std::string greetName;
    if (target != nullptr) {
      to_ = target->usedName;
      current_.subject = target->subject;
      subject_ = "Re: " + target->subject;
      greetName = std::string(WordOf(to_, 1, " "));
      kludges_.push_back(std::string(kKludgeReply) + " " + target->msgId);
    } else {
      current_.subject = context_.subjects.Pick(writer.cyrillic, random_);
      subject_ = current_.subject;
      if (random_.Chance(0.85)) {
        to_ = "All";
      } else {
        to_ = context_.people[writers_[random_.Below(writers_.size())]].name;
      }
      greetName = to_ == "All" ? "All" : std::string(WordOf(to_, 1, " "));
    }
    const Editor& editor = pools.editors[writer.editor];
    if (!editor.pid.empty()) kludges_.push_back(std::string(kKludgePid) + " " + editor.pid);
    kludges_.push_back(std::string(kKludgeTzutc) + " " + TzUtc(writer.utcOffsetHours));
    if (writer.cyrillic) kludges_.push_back(std::string(kKludgeChrs) + " CP866 2");

    const auto& greetings = writer.cyrillic ? pools.cyrillicGreetings : pools.latinGreetings;
    body_.push_back(Replace(greetings[random_.Below(greetings.size())], "%", greetName));
    body_.emplace_back();
    if (target != nullptr && !target->quotable.empty()) {
      const std::string mark = " " + Initials(target->usedName) + "> ";
      const int blocks = random_.Between(1, 3);
      std::size_t from = 0;
      for (int b = 0; b < blocks && from < target->quotable.size(); ++b) {
        const std::size_t count = static_cast<std::size_t>(random_.Between(2, 5));
        for (std::size_t i = from; i < target->quotable.size() && i < from + count; ++i) {
          body_.push_back(mark + target->quotable[i]);
        }
        from += count;
        body_.emplace_back();
        Paragraphs(writer, random_.Between(1, 3));
      }
    } else {
      Paragraphs(writer, random_.Between(3, 6));
    }
    const auto& signoffs = writer.cyrillic ? pools.cyrillicSignoffs : pools.latinSignoffs;
    body_.push_back(Replace(signoffs[random_.Below(signoffs.size())], "%", writer.firstName));
    body_.emplace_back();
    body_.push_back("--- " + editor.tearline);

    std::vector<std::pair<int, int>> seenBy = {{context_.node.net, context_.node.node},
                                               {context_.node.net, 52},
                                               {context_.node.net, 758},
                                               {writer.address.net, writer.address.node}};
    for (int i = random_.Between(0, 4); i > 0; --i) {
      seenBy.emplace_back(kNets[random_.Below(std::size(kNets))], random_.Between(1, 999));
    }
    std::sort(seenBy.begin(), seenBy.end());
    seenBy.erase(std::unique(seenBy.begin(), seenBy.end()), seenBy.end());
    trailer_.push_back(NetNodeList("SEEN-BY:", seenBy));
    std::vector<std::pair<int, int>> path = {{writer.address.net, writer.address.node}};
    if (writer.address.net != context_.node.net) path.emplace_back(context_.node.net, 52);
    path.emplace_back(context_.node.net, context_.node.node);
    trailer_.push_back(NetNodeList(kKludgePath, path));
  }

  // count paragraphs of the writer's own text, each followed by an empty line; the first
  // lines are kept for the replies that will quote them.
  void Paragraphs(const Person& writer, int count) {
    const auto& sentences =
        writer.cyrillic ? context_.pools.cyrillicSentences : context_.pools.latinSentences;
    for (int p = 0; p < count; ++p) {
      std::string text;
      for (int s = random_.Between(3, 6); s > 0; --s) {
        if (!text.empty()) text += ' ';
        text += sentences[random_.Below(sentences.size())];
      }
      const std::size_t first = body_.size();
      Wrap(text, body_);
      for (std::size_t i = first; i < body_.size() && current_.quotable.size() < kQuotableLines;
           ++i) {
        current_.quotable.push_back(body_[i]);
      }
      body_.emplace_back();
    }
  }

  const EchoSpec& spec_;
  const NodeContext& context_;
  SampleRandom& random_;
  std::vector<std::size_t> writers_;
  std::vector<Posted> recent_;
  std::size_t posted_ = 0;
  Posted current_;
  std::string to_;
  std::string subject_;
  std::vector<std::string> kludges_;
  std::vector<std::string> body_;
  std::vector<std::string> trailer_;
  const Charset utf8_{"UTF-8", "4"};
  const Charset koi8_{"KOI8-R", "2"};
};

}  // namespace

std::vector<Person> MakePeople(int count, double cyrillicShare, SampleRandom& random,
                               const SamplePools& pools) {
  std::vector<Person> people;
  std::set<std::string> taken;
  people.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    Person person;
    person.cyrillic = random.Chance(cyrillicShare);
    const auto& firsts = person.cyrillic ? pools.cyrillicFirst : pools.latinFirst;
    const auto& lasts = person.cyrillic ? pools.cyrillicLast : pools.latinLast;
    // Plain first and last names while they last, then middle initials, then numbered
    // namesakes, so any pool size gets unique names.
    for (int tries = 0;; ++tries) {
      person.firstName = firsts[random.Below(firsts.size())];
      std::string name = person.firstName + " ";
      if (tries >= 8) {
        name += firsts[random.Below(firsts.size())].substr(0, 1) + ". ";
      }
      std::string last = lasts[random.Below(lasts.size())];
      // Russian surnames take the feminine form for women: Petrov, Petrova.
      const char kSmallA = '\xA0';
      const char kSmallYa = '\xEF';
      const char end = person.firstName.back();
      if (person.cyrillic && (end == kSmallA || end == kSmallYa) &&
          (last.back() == '\xA2' || last.back() == '\xAD')) {
        last += kSmallA;
      }
      name += last;
      if (tries >= 40) name += " " + Decimal(tries - 38);
      if (taken.insert(name).second) {
        person.name = name;
        break;
      }
    }
    person.address.zone = 2;
    person.address.net =
        person.cyrillic ? kNets[random.Below(8)] : kNets[random.Below(std::size(kNets))];
    person.address.node = static_cast<std::int16_t>(random.Between(1, 999));
    person.address.point =
        static_cast<std::int16_t>(random.Chance(0.35) ? random.Between(1, 60) : 0);
    person.editor = random.Below(pools.editors.size());
    person.origin = random.Below(pools.origins.size());
    person.utcOffsetHours = person.cyrillic ? 3 : random.Between(0, 2);
    people.push_back(std::move(person));
  }
  return people;
}

SubjectPool::SubjectPool(int count, SampleRandom& random, const SamplePools& pools) {
  std::set<std::string> taken;
  for (int i = 0; i < count; ++i) {
    const bool cyrillic = random.Chance(0.3);
    const auto& forms = cyrillic ? pools.cyrillicSubjectForms : pools.latinSubjectForms;
    const auto& topics = cyrillic ? pools.cyrillicTopics : pools.latinTopics;
    // The word pools give some thousands of subjects; beyond that, version numbers.
    for (int tries = 0;; ++tries) {
      std::string first = topics[random.Below(topics.size())];
      std::string second = topics[random.Below(topics.size())];
      if (tries >= 6) {
        first += " " + Decimal(random.Between(1, 9)) + "." + Decimal(random.Between(0, 30));
        if (tries >= 20) first += "." + Decimal(random.Between(0, 999));
      }
      std::string subject =
          Replace(Replace(forms[random.Below(forms.size())], "%1", first), "%2", second);
      subject[0] = UpperChar(subject[0]);
      if (subject.size() < 60 && first != second && taken.insert(subject).second) {
        (cyrillic ? cyrillic_ : latin_).push_back(std::move(subject));
        break;
      }
    }
  }
  if (latin_.empty()) latin_.push_back(pools.latinTopics.front());
  if (cyrillic_.empty()) cyrillic_.push_back(pools.cyrillicTopics.front());
}

const std::string& SubjectPool::Pick(bool cyrillic, SampleRandom& random) const {
  // A Cyrillic writer now and then opens an English thread too.
  const auto& pool = cyrillic && random.Chance(0.8) ? cyrillic_ : latin_;
  return pool[random.Skewed(pool.size(), 2)];
}

bool WriteEcho(const EchoSpec& spec, const std::string& basePath, const NodeContext& context,
               SampleRandom random, std::string& error) {
  FixedClock clock(LocalTime{});
  std::unique_ptr<MessageBase> base = CreateMessageBase(std::string(1, spec.kind), nullptr, clock);
  if (!base || !base->Create(basePath)) {
    error = "cannot create the message base " + basePath;
    return false;
  }
  EchoComposer composer(spec, context, random);
  bool written = composer.Write(*base, clock, error);
  base->Close();
  return written;
}

}  // namespace tarnik::sample
