#include "sample_pools.h"

#include <initializer_list>

namespace tarnik::sample {
namespace {

std::vector<std::string> Latin(std::initializer_list<const char*> items) {
  return std::vector<std::string>(items.begin(), items.end());
}

std::vector<std::string> Cyrillic(std::initializer_list<const char*> items) {
  std::vector<std::string> out;
  out.reserve(items.size());
  for (const char* item : items) out.push_back(Utf8ToCp866(item));
  return out;
}

}  // namespace

std::string Utf8ToCp866(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    if ((c & 0xE0) == 0xC0 && i + 1 < text.size()) {
      const unsigned code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
      i += 2;
      if (code >= 0x410 && code <= 0x43F) {
        out += static_cast<char>(0x80 + (code - 0x410));
      } else if (code >= 0x440 && code <= 0x44F) {
        out += static_cast<char>(0xE0 + (code - 0x440));
      } else if (code == 0x401) {
        out += static_cast<char>(0xF0);
      } else if (code == 0x451) {
        out += static_cast<char>(0xF1);
      } else {
        out += '?';
      }
      continue;
    }
    // Longer sequences have no CP866 form here; skip the whole sequence.
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    out += '?';
  }
  return out;
}

SamplePools::SamplePools() {
  latinFirst =
      Latin({"John",  "Michael", "Peter",   "Paul",   "Robert", "David",  "Thomas", "Mark",
             "Steve", "Richard", "Frank",   "George", "Henry",  "Jan",    "Kees",   "Lars",
             "Erik",  "Hans",    "Juergen", "Marco",  "Luca",   "Pierre", "Andrew", "Kevin",
             "Brian", "Scott",   "Gary",    "Ward",   "Rob",    "Tom",    "Bill",   "Ken",
             "Ron",   "Alex",    "Martin",  "Chris",  "Tim",    "Simon",  "Nick",   "Walter"});
  latinLast = Latin(
      {"Smith",   "Johnson",  "Brown",   "Taylor",  "Miller",   "Wilson",   "Moore",  "Clark",
       "Hall",    "Young",    "King",    "Wright",  "Baker",    "Green",    "Adams",  "Nelson",
       "Carter",  "Mitchell", "Roberts", "Turner",  "Phillips", "Campbell", "Parker", "Evans",
       "Edwards", "Collins",  "Stewart", "Morris",  "de Vries", "Jansen",   "Bakker", "Visser",
       "Schmidt", "Schulz",   "Weber",   "Fischer", "Rossi",    "Bianchi",  "Dubois", "Lindqvist"});
  cyrillicFirst =
      Cyrillic({"Александр", "Сергей",   "Андрей",     "Дмитрий", "Алексей", "Игорь",
                "Олег",      "Владимир", "Николай",    "Михаил",  "Евгений", "Юрий",
                "Павел",     "Виктор",   "Константин", "Роман",   "Максим",  "Артём",
                "Денис",     "Вадим",    "Ольга",      "Елена",   "Наталья", "Татьяна",
                "Ирина",     "Светлана", "Анна",       "Марина",  "Фёдор",   "Григорий"});
  cyrillicLast = Cyrillic({"Иванов",   "Петров",   "Сидоров",  "Смирнов",  "Кузнецов", "Попов",
                           "Васильев", "Соколов",  "Михайлов", "Новиков",  "Фёдоров",  "Морозов",
                           "Волков",   "Алексеев", "Лебедев",  "Семёнов",  "Егоров",   "Павлов",
                           "Козлов",   "Степанов", "Николаев", "Орлов",    "Андреев",  "Макаров",
                           "Никитин",  "Захаров",  "Зайцев",   "Соловьёв", "Борисов",  "Яковлев"});
  latinSentences = Latin({"I have been running this setup for years and it still works fine.",
                          "The mailer answered, but the session dropped after the handshake.",
                          "Did you check the outbound directory for stale flow files?",
                          "My uplink changed the polling schedule again last week.",
                          "That is exactly what the nodelist segment said, so I trusted it.",
                          "Please do not quote the whole message just to add one line.",
                          "The tosser complained about a bad packet password from the hub.",
                          "I moved the message base to the new disk and nothing broke.",
                          "Honestly, I prefer the old DOS version to the new one.",
                          "It takes about ten minutes to pack the whole base at night.",
                          "The echo was quiet for a month, then everybody came back at once.",
                          "We had a power cut here, so the node was down for two days.",
                          "You can set the area to pass-through if you do not read it.",
                          "Some points still use an editor that cannot handle long lines.",
                          "The moderator asked us to keep the thread on topic.",
                          "I wrote a small script that rotates the logs every Sunday.",
                          "Your origin line is longer than seventy-nine characters.",
                          "The binkp session is much faster than the old EMSI one.",
                          "I think the problem is in the route file, not in the mailer.",
                          "There is a new nodelist every Friday, as usual.",
                          "Nobody answered my netmail, so I am asking here.",
                          "The sysop of the hub promised to look at it tomorrow.",
                          "I keep my points on a separate disk with daily backups.",
                          "It worked after I deleted the lock file by hand.",
                          "That modem never liked the noisy line in our building.",
                          "If you need the config, I can send it by netmail.",
                          "We still have three nodes in the city and a dozen points.",
                          "The statistics show that the echo is busier in winter.",
                          "Maybe it is time to upgrade the old machine at last.",
                          "I agree with you, but the rules say otherwise.",
                          "My first node number was issued back in the nineties.",
                          "The area fix robot did not understand my request.",
                          "Remember to compile the nodelist before you poll.",
                          "Sometimes the simplest configuration is the best one.",
                          "The new release fixed the crash on empty messages.",
                          "There are still people who read this echo every day.",
                          "I do not see any dupes on my side of the link.",
                          "Check the time zone of your system clock first.",
                          "The archive of this echo goes back almost twenty years.",
                          "Let us continue this discussion in the proper echo."});
  cyrillicSentences = Cyrillic({"У меня всё работает уже который год без единого сбоя.",
                                "Мейлер ответил, но сессия оборвалась сразу после рукопожатия.",
                                "А ты проверял исходящий каталог на старые флаги?",
                                "Аплинк опять поменял расписание опроса на прошлой неделе.",
                                "Не надо цитировать всё письмо ради одной строчки.",
                                "Тоссер ругается на неверный пароль пакета от хаба.",
                                "Перенёс базу на новый диск, и ничего не сломалось.",
                                "Честно говоря, старая версия под ДОС мне нравилась больше.",
                                "Эха месяц молчала, а потом все вернулись разом.",
                                "У нас отключали свет, так что узел лежал два дня.",
                                "Если эху не читаешь, поставь её транзитом.",
                                "Модератор просил не уходить от темы.",
                                "Я написал небольшой скрипт, который чистит логи по воскресеньям.",
                                "Твоя строка ориджина длиннее семидесяти девяти символов.",
                                "По бинкп всё идёт гораздо быстрее, чем по старому протоколу.",
                                "Думаю, дело в файле маршрутов, а не в мейлере.",
                                "Нодлист выходит каждую пятницу, как обычно.",
                                "На нетмейл никто не ответил, поэтому спрашиваю здесь.",
                                "Сисоп хаба обещал посмотреть завтра.",
                                "Помогло, когда я вручную удалил файл блокировки.",
                                "Этот модем никогда не любил нашу шумную линию.",
                                "Если нужен конфиг, могу прислать нетмейлом.",
                                "В городе осталось три узла и десяток поинтов.",
                                "По статистике зимой в эхе пишут больше.",
                                "Пожалуй, пора наконец обновить старую машину.",
                                "Согласен с тобой, но правила говорят иное.",
                                "Свой первый номер узла я получил ещё в девяностых.",
                                "Робот арефикса не понял мой запрос.",
                                "Не забудь скомпилировать нодлист перед опросом.",
                                "Иногда самая простая настройка оказывается лучшей.",
                                "В новой версии исправили падение на пустых письмах.",
                                "Эту эху до сих пор читают каждый день.",
                                "Сначала проверь часовой пояс на своей системе.",
                                "Архив этой эхи тянется почти двадцать лет.",
                                "Давай продолжим это обсуждение в профильной эхе."});
  latinTopics = Latin({"binkd",
                       "Squish",
                       "JAM bases",
                       "the nodelist",
                       "points",
                       "modems",
                       "GoldED",
                       "the tosser",
                       "areafix",
                       "routing",
                       "netmail",
                       "the hub",
                       "OS/2",
                       "Linux",
                       "DOS boxes",
                       "backups",
                       "the BBS",
                       "door games",
                       "file echoes",
                       "the moderator",
                       "echo rules",
                       "time zones",
                       "the uplink",
                       "packet passwords",
                       "dupes",
                       "the origin line",
                       "old hardware",
                       "UPS",
                       "the new release",
                       "crash mail",
                       "ISDN",
                       "the weekend",
                       "statistics",
                       "tearlines",
                       "the sysop meeting",
                       "keyboards",
                       "monitors",
                       "hard disks",
                       "the weather",
                       "old friends"});
  cyrillicTopics =
      Cyrillic({"бинкд",   "сквиш",         "нодлист",      "поинты",          "модемы",
                "голдед",  "тоссер",        "арефикс",      "маршрутизация",   "нетмейл",
                "хаб",     "полуось",       "линукс",       "резервные копии", "станция",
                "файлэхи", "модератор",     "правила эхи",  "аплинк",          "дупы",
                "ориджин", "старое железо", "новая версия", "статистика",      "встреча сисопов",
                "погода"});
  latinSubjectForms =
      Latin({"%1", "%1 again", "Question about %1", "%1: help needed", "%1 and %2", "%1 vs %2",
             "Problem with %1", "%1 after %2", "New %1", "Thoughts on %1", "%1 is down",
             "Anyone using %1?", "%1 FAQ", "%1 under %2", "Goodbye %1"});
  cyrillicSubjectForms =
      Cyrillic({"%1", "Опять %1", "Вопрос про %1", "%1 и %2", "Проблема: %1", "%1 против %2",
                "Кто пользуется: %1?", "Новое: %1", "%1 после %2"});
  origins =
      Latin({"Keep the lights on", "Still here after all these years", "The node that never sleeps",
             "Powered by coffee and old hardware", "Small station, big echoes",
             "Where the modems still sing", "A quiet point in a noisy world",
             "Running on a 486 since 1995", "FidoNet: the original social network",
             "Come in, we are open", "Behind the seven hubs", "Greetings from the river side"});
  std::vector<std::string> cyrillicOrigins =
      Cyrillic({"Ещё не вечер", "Тихая станция у реки", "Всё будет хорошо",
                "Фидо живёт, пока мы пишем", "Привет с окраины", "Чай, модем и нодлист"});
  origins.insert(origins.end(), cyrillicOrigins.begin(), cyrillicOrigins.end());
  editors = {{"GoldED+/LNX 1.1.5-b20240304", "GED+LNX 1.1.5-b20240304"},
             {"GoldED+/W32-MINGW 1.1.5-b20170303", "GED+W32 1.1.5-b20170303"},
             {"GoldED/386 3.00.Beta5+", "GED386 3.00.Beta5+"},
             {"hpt/lnx 1.9.0-cur", ""},
             {"Msged/LNX 6.3", "Msged/LNX 6.3"},
             {"Golded+ 1.1.4.7", "GED+W32 1.1.4.7"},
             {"SqEd32 1.15", ""},
             {"Timed 1.11.a5", "Timed 1.11.a5"}};
  latinGreetings = Latin({"Hello %!", "Hi, %!", "Greetings, %.", "Hello %,", "Good day, %!"});
  cyrillicGreetings =
      Cyrillic({"Привет, %!", "Здравствуй, %!", "Доброго времени суток, %!", "Приветствую, %."});
  latinSignoffs = Latin({"Best regards, %.", "Cheers, %", "Bye, %.", "Take care, %.", "-- %"});
  cyrillicSignoffs = Cyrillic({"С уважением, %.", "Пока, %.", "Всего доброго, %.", "Удачи, %."});
}

}  // namespace tarnik::sample
