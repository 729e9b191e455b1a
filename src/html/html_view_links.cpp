// THtmlView: following links, the history of files and positions, and the
// visited list that colours links.
#include "html/html_view.h"

#include "html/html_view_internal.h"

#include <algorithm>

namespace velmora::html {

using namespace view_internal;

// ---- links, history, visited ----

std::string THtmlView::ExpandName(const std::string& reference) const {
    TLinkContext context;
    context.ServerRoot = serverRoot_;
    context.BaseUrl = base_;
    context.CurrentFile = currentFile_;
    context.FullPath = FullPathOf;
    return ExpandLinkName(reference, context);
}

void THtmlView::HotSpotClick(const std::string& url) {
    bool handled = false;
    if (OnHotSpotClick) OnHotSpotClick(url, handled);
    if (!handled) FollowLink(url);
}

void THtmlView::FollowLink(const std::string& href) {
    if (processing_) return;
    const THistoryEntry previous = CurrentEntry();
    TLinkContext context;
    context.ServerRoot = serverRoot_;
    context.BaseUrl = base_;
    context.CurrentFile = currentFile_;
    context.FullPath = FullPathOf;
    const TLinkAction action = ResolveLinkClick(href, context);
    switch (action.Action) {
    case TLinkAction::laAnchor:
        if (JumpToAnchor(action.Anchor)) {
            RecordMove(previous);
            AddVisited(currentFile_ + action.Anchor);
        }
        break;
    case TLinkAction::laHtml:
        if (action.File != currentFile_) {
            LoadFromFile(action.File + action.Anchor);
            AddVisited(action.File + action.Anchor);
        } else if (!action.Anchor.empty() && JumpToAnchor(action.Anchor)) {
            RecordMove(THistoryEntry{previous.File, TDocumentKind::dkHtml, previous.Position});
            AddVisited(action.File + action.Anchor);
        }
        break;
    case TLinkAction::laPicture:
        LoadImageFile(action.File);
        break;
    case TLinkAction::laNothing:
        break;
    }
}

void THtmlView::RecordMove(const THistoryEntry& previous) {
    if (history_.Record(previous, CurrentEntry()) && OnHistoryChange) OnHistoryChange();
}

void THtmlView::SetHistoryIndex(int index) {
    if (index == history_.Index() || index < 0 || index >= history_.Count() || processing_) return;
    if (!currentFile_.empty() && history_.Index() < history_.Count())
        history_.Entry(history_.Index()) = CurrentEntry();
    const THistoryEntry target = history_.Entry(index);
    if (target.File != currentFile_ || target.Kind != kind_) Load(target.File, target.Kind, false);
    RestorePositionCode(target.Position);
    history_.SetIndex(index);
    if (OnHistoryChange) OnHistoryChange();
}

void THtmlView::SetHistoryMaxCount(int n) {
    if (history_.SetMaxCount(n) && OnHistoryChange) OnHistoryChange();
}

std::string THtmlView::LinkTarget(const std::string& href) const {
    if (!href.empty() && href[0] == '#') return currentFile_ + href;
    return ExpandName(href);
}

void THtmlView::AddVisited(const std::string& name) {
    if (visited_.MaxCount() == 0 || (visited_.Count() && SameTextIgnoringCase(visited_[0], name))) return;
    if (!visited_.Contains(name)) {
        bool changed = false;
        std::vector<int8_t> known(doc_->LinkTable.size(), -1);
        for (const TLinkRun& link : doc_->LinkRuns) {
            TFontObj& run = link.Run();
            if (run.Visited || run.LinkIndex >= known.size()) continue;
            int8_t& k = known[run.LinkIndex];
            if (k < 0) k = SameTextIgnoringCase(LinkTarget(run.Url(*doc_)), name) ? 1 : 0;
            if (k) {
                run.SetVisited(*doc_, true);
                changed = true;
            }
        }
        if (changed) surface_->Invalidate();
    }
    visited_.Add(name);
}

void THtmlView::MarkVisited() {
    if (visited_.Count() == 0) return;
    // Once per distinct link: a page repeats its links many times.
    std::vector<int8_t> known(doc_->LinkTable.size(), -1);
    for (const TLinkRun& link : doc_->LinkRuns) {
        TFontObj& run = link.Run();
        if (run.LinkIndex >= known.size()) continue;
        int8_t& k = known[run.LinkIndex];
        if (k < 0) k = visited_.Contains(LinkTarget(run.Url(*doc_))) ? 1 : 0;
        if (k && !run.Visited) run.SetVisited(*doc_, true);
    }
}

void THtmlView::SetVisitedMaxCount(int n) {
    n = std::max(0, n);
    if (!visited_.SetMaxCount(n)) return;
    if (n == 0) {
        for (const TLinkRun& link : doc_->LinkRuns)
            if (link.Run().Visited) link.Run().SetVisited(*doc_, false);
        surface_->Invalidate();
    }
}

} // namespace velmora::html
