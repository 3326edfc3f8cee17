#pragma once
// What the page loop needs of a page. The widget pages implement it; the
// loop itself knows nothing of windows.

#include <string>

namespace codexel {

// Navigation results: how a page was left.
enum NavigationResult : int {
  kNavNext = 1,
  kNavBack = -1,
  kNavFinish = 0,
  kNavCancel = 2,
};

// Position kinds, set by the loop before each showing.
enum PositionKind : int {
  kFirstPage = 0,           // first page, no pages of the caller before it
  kFirstAfterCallerPages = 1,
  kMiddlePage = 2,
  kLastPage = 3,
};

class PageInterface {
 public:
  virtual ~PageInterface() = default;
  virtual void SetTitle(const std::string& title) = 0;
  virtual void SetPositionKind(int kind) = 0;
  // Whether the loop shows this page at all.
  virtual bool IsPageShown() { return true; }
  // Shows the page modally in a fresh window; returns its navigation result.
  virtual int ShowModal() = 0;
  virtual void LoadFromModel() {}
  virtual void StoreIntoModel() {}
};

}  // namespace codexel
