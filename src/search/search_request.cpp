#include "search/search_request.h"

#include "search/search_job.h"
#include "text/code_page.h"

namespace tevrin {

void OnSearchClicked(Reader& reader) {
  static const Text site1Path = "/modules/article/search.php?searchkey=";
  static const Text site2Path = "/search.html?keyword=";
  reader.toolkit.ShowPage(0);
  const int site = reader.toolkit.ReadChoice(Control::组合框1) == 1 ? 2 : 1;
  const Text prefix = site == 2 ? reader.site2Origin + site2Path : reader.site1Origin + site1Path;
  const Text bookName = reader.toolkit.ReadText(Control::编辑框_书名);
  reader.state.setSearchUrl(prefix + PercentEncode(bookName));
  reader.state.setSite(site);
  // Taken here on the window thread, so tickets follow the order of the clicks even when the
  // job threads start out of order.
  const auto ticket = reader.state.Begin(ReaderState::Kind::Search);
  reader.toolkit.StartJob([&reader, ticket](int jobSite) { SearchJob(reader, jobSite, ticket); },
                          site);
}

}  // namespace tevrin
