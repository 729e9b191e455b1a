// The picture cache shared by every viewer: decoded pictures by name, kept
// across documents while they are young enough.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "html/images/bitmap.h"
#include "html/images/memory_stream.h"
#include "html/images/picture_loader.h"

namespace velmora::images {

// One cache entry; owns its image and mask.
class TBitmapItem {
public:
    TBitmapItem(std::unique_ptr<TGraphic> image, std::unique_ptr<TBitmap> mask, TTransparency transparency)
        : image_(std::move(image)), mask_(std::move(mask)), transparency_(transparency) {}
    TGraphic* Image() const { return image_.get(); }
    TBitmap* Mask() const { return mask_.get(); }
    void SetMask(std::unique_ptr<TBitmap> mask) { mask_ = std::move(mask); }
    TTransparency Transparency() const { return transparency_; }
    void SetTransparency(TTransparency t) { transparency_ = t; }
    int AccessCount = 0; // age: documents started since it was last fetched
    int UsageCount = 0;  // picture objects of live documents holding it

private:
    std::unique_ptr<TGraphic> image_;
    std::unique_ptr<TBitmap> mask_;
    TTransparency transparency_;
};

class TStringBitmapList {
public:
    // Upper case, control characters and blanks trimmed from both ends.
    static std::string KeyOf(const std::string& name);

    int Count() const { return int(items_.size()); }
    // -1 when not cached.
    int IndexOf(const std::string& key) const;
    const std::string& Key(int index) const;
    TBitmapItem& Item(int index) const;

    int AddObject(const std::string& key, std::unique_ptr<TBitmapItem> item);
    TGraphic* GetImage(int index);
    void ReleaseImage(const std::string& key);
    void AgeCache();
    void SetMaxImageAge(int n);
    int MaxImageAge() const { return maxAge_; }
    void DropUnusedImages();
    void Clear();

private:
    std::map<std::string, std::unique_ptr<TBitmapItem>> items_; // sorted by key
    int maxAge_ = 4;
};

// The one cache of the program.
TStringBitmapList& ImageCache();

// An application's source of pictures by name: fills `stream` with the data,
// returns WaitImageStream() for "later", or leaves it null to fall back to files.
using ImageRequestHandler = std::function<void(const std::string& name, TMemoryStream*& stream)>;

// The picture of `name` from the cache, the application or the file; none when
// it cannot be had. The cache keeps ownership of what is returned.
TGraphic* FetchImage(const std::string& name, TTransparency& transparency, bool& pending, bool& fromCache,
                     TBitmap*& mask, const ImageRequestHandler& onImageRequest = nullptr);

} // namespace velmora::images
