#include "html/images/image_cache.h"

#include <algorithm>
#include <iterator>

#include "base/file_name.h"
#include "base/os.h"
#include "html/images/display.h"
#include "html/images/gif_image.h"

namespace velmora::images {

std::string TStringBitmapList::KeyOf(const std::string& name) {
    size_t begin = 0, end = name.size();
    while (begin < end && uint8_t(name[begin]) <= ' ')
        ++begin;
    while (end > begin && uint8_t(name[end - 1]) <= ' ')
        --end;
    return os::AnsiUpperCase(name.substr(begin, end - begin));
}

int TStringBitmapList::IndexOf(const std::string& key) const {
    auto it = items_.find(key);
    return it == items_.end() ? -1 : int(std::distance(items_.begin(), it));
}

const std::string& TStringBitmapList::Key(int index) const {
    return std::next(items_.begin(), index)->first;
}

TBitmapItem& TStringBitmapList::Item(int index) const {
    return *std::next(items_.begin(), index)->second;
}

int TStringBitmapList::AddObject(const std::string& key, std::unique_ptr<TBitmapItem> item) {
    ++item->UsageCount;
    items_[key] = std::move(item);
    return IndexOf(key);
}

TGraphic* TStringBitmapList::GetImage(int index) {
    TBitmapItem& item = Item(index);
    item.AccessCount = 0;
    ++item.UsageCount;
    return item.Image();
}

void TStringBitmapList::ReleaseImage(const std::string& key) {
    auto it = items_.find(key);
    if (it != items_.end()) --it->second->UsageCount;
}

void TStringBitmapList::AgeCache() {
    for (auto it = items_.begin(); it != items_.end();) {
        TBitmapItem& item = *it->second;
        ++item.AccessCount;
        if (item.AccessCount > maxAge_ && item.UsageCount < 1)
            it = items_.erase(it);
        else
            ++it;
    }
}

void TStringBitmapList::SetMaxImageAge(int n) {
    n = std::clamp(n, 0, 20);
    std::erase_if(items_, [n](const auto& entry) {
        return entry.second->AccessCount > n && entry.second->UsageCount <= 0;
    });
    maxAge_ = n;
}

void TStringBitmapList::DropUnusedImages() {
    std::erase_if(items_, [](const auto& entry) { return entry.second->UsageCount < 1; });
}

void TStringBitmapList::Clear() {
    items_.clear();
}

TStringBitmapList& ImageCache() {
    static TStringBitmapList cache;
    return cache;
}

namespace {

bool HasGifExtension(const std::string& name) {
    return os::AnsiLowerCase(ExtensionOf(name)) == ".gif";
}

} // namespace

TGraphic* FetchImage(const std::string& name, TTransparency& transparency, bool& pending, bool& fromCache,
                     TBitmap*& mask, const ImageRequestHandler& onImageRequest) {
    mask = nullptr;
    pending = false;
    fromCache = false;
    if (name.empty()) return nullptr;
    TStringBitmapList& cache = ImageCache();
    const std::string key = TStringBitmapList::KeyOf(name);

    if (int index = cache.IndexOf(key); index >= 0) {
        TGraphic* image = cache.GetImage(index);
        fromCache = true;
        TBitmapItem& item = cache.Item(index);
        if (auto* bitmap = dynamic_cast<TBitmap*>(image)) {
            if (item.Transparency() == GifTransparency || item.Transparency() == PngTransparency) {
                transparency = item.Transparency();
            } else if (transparency == LowerLeftCorner && !item.Mask()) {
                item.SetMask(MakeTransparencyMask(*bitmap, false, 0));
                if (item.Mask()) item.SetTransparency(LowerLeftCorner);
            }
            mask = item.Mask();
        }
        return image;
    }

    std::unique_ptr<TGraphic> image;
    std::unique_ptr<TBitmap> ownMask;
    std::unique_ptr<TGIFImage> gif;
    bool nonAnimated = true;
    // Loaders give "no picture" rather than raise; anything unforeseen is one too.
    try {
        if (onImageRequest) {
            TMemoryStream* stream = nullptr;
            onImageRequest(name, stream);
            if (stream == WaitImageStream()) {
                pending = true;
                return nullptr;
            }
            if (stream && stream->Size() > 0) {
                ContentType type = DetectContentType(stream->Data().data(), stream->Size());
                if (type == ContentType::Gif87a || type == ContentType::Gif89a)
                    gif = LoadGifStream(*stream, nonAnimated);
                if (!gif) image = ReadPictureStream(*stream, transparency, ownMask);
            }
        } else {
            if (HasGifExtension(name)) gif = LoadGifFile(name, nonAnimated);
            if (!gif) image = ReadPictureFile(name, transparency, ownMask);
        }
        if (gif) {
            if (!gif->Animated()) {
                // One frame: kept as a plain bitmap (with its mask when transparent).
                image = gif->FirstFrameBitmap();
                if (gif->HasTransparency()) {
                    ownMask = gif->FirstFrameMask();
                    transparency = GifTransparency;
                } else if (transparency == LowerLeftCorner && image) {
                    ownMask = MakeTransparencyMask(static_cast<TBitmap&>(*image), false, 0);
                }
                gif.reset();
            } else {
                image = std::move(gif);
            }
        }
    } catch (const std::exception&) {
        return nullptr;
    }
    if (!image) return nullptr;
    TGraphic* result = image.get();
    mask = ownMask.get();
    TTransparency kind = ownMask ? transparency : NotTransparent;
    cache.AddObject(key, std::make_unique<TBitmapItem>(std::move(image), std::move(ownMask), kind));
    return result;
}

} // namespace velmora::images
