#include "samples/catalogue.h"

#include <array>
#include <string_view>

#include "text/code_page.h"

namespace tevrin {
namespace {

constexpr int kLongBookId = 900;
constexpr int kLongBookChapters = 5000;

// Sentences for the generated chapters; each paragraph strings a few of them together.
constexpr std::array<std::u8string_view, 25> kSentences = {
    u8"山风从谷口吹进来，带着一股潮湿的松香。",
    u8"他把剑横在膝上，听着屋檐下的雨一滴一滴落进石槽。",
    u8"远处的钟声响了三下，整座小镇便安静了下来。",
    u8"少女提着灯笼走过长桥，灯影在水面上碎成一片。",
    u8"老掌柜眯起眼睛，把算盘拨得噼啪作响。",
    u8"那本旧书的最后一页被人撕去了，只留下半行墨迹。",
    u8"夜色渐深，江面上只剩一盏渔火还亮着。",
    u8"他忽然想起师父临走前说过的话，心里一阵发紧。",
    u8"城门外的驿道上尘土飞扬，一队骑手正朝北方疾驰。",
    u8"院子里的桂花开了，香气一直飘到隔壁的药铺。",
    u8"她没有回头，只是轻轻地把门掩上了。",
    u8"石阶上长满青苔，每走一步都要格外小心。",
    u8"天边泛起鱼肚白，早起的鸟儿在枝头叫个不停。",
    u8"掌中的铜钱还带着体温，他却不知道该不该交出去。",
    u8"风雪越下越大，山道上的脚印很快就被填平了。",
    u8"茶已经凉了，桌上的信却还没有拆开。",
    u8"河对岸传来几声犬吠，随即又归于沉寂。",
    u8"他数了数行囊里的干粮，最多还能撑五天。",
    u8"船家撑起竹篙，小船慢慢离开了码头。",
    u8"墙上挂着一幅褪了色的地图，上面画着七座山峰。",
    u8"少年咬紧牙关，又一次举起了沉重的木剑。",
    u8"集市上人声鼎沸，卖糖人的老汉被孩子们团团围住。",
    u8"月光照在井台上，像铺了一层薄薄的霜。",
    u8"木牌上刻着一行小字：Wind and Rain。",
    u8"他终于明白，那扇门从来都没有上锁。",
};

constexpr std::array<std::u8string_view, 20> kChapterNames = {
    u8"山门", u8"夜雨", u8"旧书", u8"长桥", u8"渔火", u8"驿道",     u8"桂香",
    u8"青苔", u8"风雪", u8"信笺", u8"码头", u8"地图", u8"木剑",     u8"集市",
    u8"月霜", u8"铜钱", u8"药铺", u8"钟声", u8"归途", u8"无锁之门",
};

constexpr std::array<std::u8string_view, 10> kAuthors = {
    u8"林晚舟", u8"苏砚",   u8"顾北辰", u8"沈听雨", u8"陆白",
    u8"温七",   u8"秦小满", u8"叶知秋", u8"江未眠", u8"白鹿生",
};

struct Listing {
  int id;
  std::u8string_view name;
  int chapters;
};

constexpr std::array<Listing, 17> kNamedBooks = {{
    {1, u8"青云渡", 12},
    {2, u8"青云问道", 1},
    {3, u8"雾隐青云志", 3},
    {11, u8"寒江剑影", 12},
    {12, u8"剑归山海2", 12},
    {13, u8"孤剑行", 12},
    {14, u8"剑心如故", 12},
    {15, u8"三尺剑歌", 12},
    {16, u8"铸剑谷", 12},
    {17, u8"剑冢夜话", 12},
    {18, u8"残剑录", 12},
    {19, u8"剑出东关", 12},
    {20, u8"折剑少年", 12},
    {21, u8"一剑霜寒", 12},
    {22, u8"剑穗红", 12},
    {23, u8"藏剑楼", 12},
    {24, u8"剑与炊烟", 12},
}};

// The 56 "星" books are every prefix with every suffix.
constexpr std::array<std::u8string_view, 8> kStarPrefixes = {u8"北", u8"孤", u8"落", u8"寒",
                                                             u8"流", u8"晨", u8"远", u8"碎"};
constexpr std::array<std::u8string_view, 7> kStarSuffixes = {u8"河记", u8"海谣", u8"火传", u8"辰录",
                                                             u8"门志", u8"尘赋", u8"野歌"};

SampleBook MakeBook(int id, const Text& name, int chapters) {
  static const Text ongoing = Gbk(u8"连载中");
  static const Text finished = Gbk(u8"全本");
  SampleBook book;
  book.id = id;
  book.name = name;
  book.author = Gbk(kAuthors[static_cast<std::size_t>(id) % kAuthors.size()]);
  book.status = id % 2 == 0 ? ongoing : finished;
  const int day = 1 + id % 28;
  book.updated = "2024-03-" + std::string(day < 10 ? "0" : "") + std::to_string(day);
  book.chapterCount = chapters;
  return book;
}

std::vector<SampleBook> BuildBooks() {
  std::vector<SampleBook> books;
  for (const Listing& listing : kNamedBooks) {
    books.push_back(MakeBook(listing.id, Gbk(listing.name), listing.chapters));
  }
  const Text star = Gbk(u8"星");
  int id = 101;
  for (std::u8string_view prefix : kStarPrefixes) {
    for (std::u8string_view suffix : kStarSuffixes) {
      books.push_back(MakeBook(id++, Gbk(prefix) + star + Gbk(suffix), 12));
    }
  }
  books.push_back(MakeBook(kLongBookId, Gbk(u8"万里长河"), kLongBookChapters));
  return books;
}

bool InRange(const SampleBook& book, int number) {
  return number >= 1 && number <= book.chapterCount;
}

std::size_t Pick(long long seed, std::size_t size) {
  return static_cast<std::size_t>(seed % static_cast<long long>(size));
}

}  // namespace

const std::vector<SampleBook>& SampleBooks() {
  static const std::vector<SampleBook> books = BuildBooks();
  return books;
}

const SampleBook* FindSampleBook(int id) {
  for (const SampleBook& book : SampleBooks()) {
    if (book.id == id) return &book;
  }
  return nullptr;
}

std::vector<const SampleBook*> SampleBooksNamed(std::string_view keyword) {
  std::vector<const SampleBook*> found;
  if (keyword.empty()) return found;
  for (const SampleBook& book : SampleBooks()) {
    if (Find(book.name, keyword) != -1) found.push_back(&book);
  }
  return found;
}

const SampleKeywords& SampleSearchKeywords() {
  static const SampleKeywords keywords{Gbk(u8"青云"), Gbk(u8"剑"), Gbk(u8"星"), Gbk(u8"麒麟"),
                                       Gbk(u8"长河")};
  return keywords;
}

const SampleBook& LongSampleBook() {
  return *FindSampleBook(kLongBookId);
}

Text SampleChapterTitle(const SampleBook& book, int number) {
  if (!InRange(book, number)) return {};
  static const std::vector<Text> names = [] {
    std::vector<Text> converted;
    for (std::u8string_view name : kChapterNames) converted.push_back(Gbk(name));
    return converted;
  }();
  static const Text prefix = Gbk(u8"第");
  static const Text suffix = Gbk(u8"章 ");
  return prefix + std::to_string(number) + suffix +
         names[Pick(7LL * number + book.id, names.size())];
}

TextList SampleChapterParagraphs(const SampleBook& book, int number) {
  if (!InRange(book, number)) return {};
  static const std::vector<Text> sentences = [] {
    std::vector<Text> converted;
    for (std::u8string_view sentence : kSentences) converted.push_back(Gbk(sentence));
    return converted;
  }();
  static const Text indent = Gbk(u8"　　");
  TextList paragraphs;
  const int count = 3 + (book.id + number) % 2;
  for (int p = 0; p < count; ++p) {
    Text paragraph = p % 2 == 0 ? indent : Text();
    const int length = 2 + (number + p) % 2;
    for (int s = 0; s < length; ++s) {
      if (s > 0 && (number + p + s) % 3 == 0) paragraph += ' ';
      paragraph +=
          sentences[Pick(31LL * book.id + 17LL * number + 7 * p + 3 * s, sentences.size())];
    }
    paragraphs.push_back(std::move(paragraph));
  }
  return paragraphs;
}

}  // namespace tevrin
