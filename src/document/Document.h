#pragma once
// A small document/view layer: a document carries its title, path name,
// modified flag and the views that show it.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tamr {

class CDibImage;

// Something that shows a document and is told when it changed.
class DocumentView {
public:
    virtual ~DocumentView() = default;
    // The document's contents changed: redraw.
    virtual void OnUpdate() = 0;
    // One level of a progressive decoding, to be drawn at once (before decoding
    // goes on): the reduced image stretched over its FullWidth() × FullHeight(),
    // from its index image and colour table on a palette display.
    virtual void ShowLevel(const CDibImage& levelImage) { (void)levelImage; }
};

class Document {
public:
    virtual ~Document() = default;

    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }
    const std::filesystem::path& PathName() const { return pathName_; }
    void SetPathName(std::filesystem::path path) { pathName_ = std::move(path); }
    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified) { modified_ = modified; }

    // Views are not owned; a view removes itself before it goes away.
    void AddView(DocumentView& view) { views_.push_back(&view); }
    void RemoveView(DocumentView& view)
    {
        views_.erase(std::remove(views_.begin(), views_.end(), &view), views_.end());
    }
    const std::vector<DocumentView*>& Views() const { return views_; }

    void UpdateAllViews() const
    {
        for (DocumentView* view : views_)
            view->OnUpdate();
    }

private:
    std::string title_;
    std::filesystem::path pathName_;
    bool modified_ = false;
    std::vector<DocumentView*> views_;
};

} // namespace tamr
