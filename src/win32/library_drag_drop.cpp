#include "win32/library_drag_drop.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>

#include "win32/text.h"

namespace tavelin::win32 {
namespace {

constexpr int kScrollMarginPixels = 16;    // a drag this near the tree's edge scrolls it
constexpr DWORD kScrollIntervalMs = 100;
constexpr DWORD kHoverExpandMs = 700;      // a closed node hovered this long opens

FORMATETC TextFormat() { return {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

// The COM objects here live on the interface thread only; counting needs no locks.
template <class Interface>
class RefCounted : public Interface {
 public:
  virtual ~RefCounted() = default;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  HRESULT Query(REFIID iid, const IID& own, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, own)) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }

 private:
  ULONG references_ = 1;
};

class TextDataObject : public RefCounted<IDataObject> {
 public:
  explicit TextDataObject(std::wstring text) : text_(std::move(text)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    return Query(iid, IID_IDataObject, object);
  }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!format || !medium) return E_INVALIDARG;
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    const SIZE_T bytes = (text_.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) return E_OUTOFMEMORY;
    std::memcpy(GlobalLock(memory), text_.c_str(), bytes);
    GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    if (!format) return E_INVALIDARG;
    return format->cfFormat == CF_UNICODETEXT && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC text = TextFormat();
    return SHCreateStdEnumFmtEtc(1, &text, formats);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  std::wstring text_;
};

class DropSource : public RefCounted<IDropSource> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    return Query(iid, IID_IDropSource, object);
  }
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keys) override {
    if (escapePressed) return DRAGDROP_S_CANCEL;
    return (keys & (MK_LBUTTON | MK_RBUTTON)) ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

class TreeDropTarget : public RefCounted<IDropTarget> {
 public:
  TreeDropTarget(HWND tree, LibraryTree& model, LibraryDrag& drag) : tree_(tree), model_(model), drag_(drag) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    return Query(iid, IID_IDropTarget, object);
  }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL point, DWORD* effect) override {
    FORMATETC text = TextFormat();
    hasText_ = data && data->QueryGetData(&text) == S_OK;
    hovered_ = nullptr;
    return Over(point, effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL point, DWORD* effect) override { return Over(point, effect); }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    model_.SetDropHighlight(0);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL point, DWORD* effect) override {
    const HRESULT result = Over(point, effect);
    if (*effect != DROPEFFECT_NONE) drag_.Drop();
    return result;
  }

 private:
  HRESULT Over(POINTL screen, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    POINT point{screen.x, screen.y};
    ScreenToClient(tree_, &point);
    ScrollNearEdges(point);
    TVHITTESTINFO hit{};
    hit.pt = point;
    const HTREEITEM item = TreeView_HitTest(tree_, &hit);
    const int index = (item && (hit.flags & TVHT_ONITEM)) ? IndexOf(item) : 0;
    ExpandAfterHover(item);
    if (!drag_.DragOver(index, hasText_)) *effect = DROPEFFECT_NONE;
    return S_OK;
  }
  int IndexOf(HTREEITEM item) const {
    TVITEMW tv{};
    tv.mask = TVIF_PARAM | TVIF_HANDLE;
    tv.hItem = item;
    return TreeView_GetItem(tree_, &tv) ? model_.IndexOf(static_cast<NodeId>(tv.lParam)) : 0;
  }
  void ScrollNearEdges(POINT point) {
    RECT client{};
    GetClientRect(tree_, &client);
    const DWORD now = GetTickCount();
    if (now - lastScroll_ < kScrollIntervalMs) return;
    if (point.y < kScrollMarginPixels) {
      SendMessageW(tree_, WM_VSCROLL, SB_LINEUP, 0);
      lastScroll_ = now;
    } else if (point.y > client.bottom - kScrollMarginPixels) {
      SendMessageW(tree_, WM_VSCROLL, SB_LINEDOWN, 0);
      lastScroll_ = now;
    }
  }
  void ExpandAfterHover(HTREEITEM item) {
    const DWORD now = GetTickCount();
    if (item != hovered_) {
      hovered_ = item;
      hoverStart_ = now;
      return;
    }
    if (item && now - hoverStart_ >= kHoverExpandMs &&
        !(TreeView_GetItemState(tree_, item, TVIS_EXPANDED) & TVIS_EXPANDED)) {
      TreeView_Expand(tree_, item, TVE_EXPAND);
    }
  }

  HWND tree_;
  LibraryTree& model_;
  LibraryDrag& drag_;
  bool hasText_ = false;
  HTREEITEM hovered_ = nullptr;
  DWORD hoverStart_ = 0;
  DWORD lastScroll_ = 0;
};

}  // namespace

IDataObject* NewTextDataObject(const std::string& text) { return new TextDataObject(Widen(text)); }

LibraryDragDrop::LibraryDragDrop(HWND tree, LibraryTree& model, LibraryDrag& drag)
    : tree_(tree), drag_(drag), target_(new TreeDropTarget(tree, model, drag)) {
  registered_ = SUCCEEDED(RegisterDragDrop(tree_, target_));
}

LibraryDragDrop::~LibraryDragDrop() {
  if (registered_) RevokeDragDrop(tree_);
  target_->Release();
}

void LibraryDragDrop::DragFromList(const std::string& text) {
  drag_.StartFromList();
  RunDrag(text, DROPEFFECT_COPY);
}

void LibraryDragDrop::DragFromTree(const std::string& text) {
  if (!drag_.StartFromTree()) return;  // only movie entries are dragged
  RunDrag(text, DROPEFFECT_MOVE);
}

void LibraryDragDrop::RunDrag(const std::string& text, DWORD allowedEffects) {
  IDataObject* data = NewTextDataObject(text);
  auto* source = new DropSource();
  DWORD effect = DROPEFFECT_NONE;
  DoDragDrop(data, source, allowedEffects, &effect);
  source->Release();
  data->Release();
  drag_.Complete();
}

}  // namespace tavelin::win32
