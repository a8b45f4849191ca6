#include "engine/tiff_reader.h"

#include "engine/ifd_record.h"
#include "engine/tiff_types.h"

namespace stavren {

TiffReader::TiffReader(std::string name, std::int32_t pagesNeeded) : stream(name), chain_(stream)
{
    byteOrder = chain_.ByteOrder();
    ownAllowance_.AddInput(stream.Size());
    while (PageCount() < pagesNeeded && ReadIfd()) {
    }
    ChargeChainReads();
}

std::int32_t TiffReader::PageCount() const
{
    return static_cast<std::int32_t>(firstEntry_.size());
}

std::vector<IfdEntry> TiffReader::Entries(std::int32_t pageIndex) const
{
    if (pageIndex < 0 || pageIndex >= PageCount())
        return {};
    const auto page = static_cast<std::size_t>(pageIndex);
    const std::size_t end = page + 1 < firstEntry_.size() ? firstEntry_[page + 1] : entries_.size();
    return {entries_.begin() + firstEntry_[page], entries_.begin() + static_cast<std::ptrdiff_t>(end)};
}

std::int32_t TiffReader::CountAllPages()
{
    ChainDirectory dir;
    while (chain_.Next(dir)) {
    }
    ChargeChainReads();
    return chain_.Pages();
}

void TiffReader::ShareReadAllowance(ReadAllowance& allowance)
{
    allowance_ = &allowance;
    chainCharged_ = 0;
    ChargeChainReads();
}

void TiffReader::ChargeChainReads()
{
    allowance_->Take(chain_.BytesRead() - chainCharged_);
    chainCharged_ = chain_.BytesRead();
}

bool TiffReader::ReadIfd()
{
    ChainDirectory dir;
    if (!chain_.Next(dir, true))
        return false;
    // A directory the file cuts short is still a page, with the entries
    // read in full, but a damaged one.
    if (!dir.complete)
        cutShort_ = PageCount();
    IfdRecord record;
    record.Parse(dir.entries, dir.entriesRead, byteOrder);
    firstEntry_.push_back(static_cast<std::uint32_t>(entries_.size()));
    entries_.insert(entries_.end(), record.entries.begin(), record.entries.end());
    return true;
}

const char* TiffReader::Damage(std::int32_t pageIndex) const
{
    if (pageIndex == cutShort_)
        return kCutShortReason;
    return HasImage(pageIndex) ? nullptr : kNoImageReason;
}

bool TiffReader::HasImage(std::int32_t pageIndex) const
{
    if (pageIndex < 0 || pageIndex >= PageCount())
        return false;
    const auto page = static_cast<std::size_t>(pageIndex);
    const std::size_t end = page + 1 < firstEntry_.size() ? firstEntry_[page + 1] : entries_.size();
    bool width = false, length = false, data = false;
    for (std::size_t i = firstEntry_[page]; i < end; ++i) {
        const IfdEntry& e = entries_[i];
        if (e.count == 0)
            continue;
        switch (e.tag) {
        case tiff_tag::kImageWidth: width = true; break;
        case tiff_tag::kImageLength: length = true; break;
        case tiff_tag::kStripOffsets:
        case tiff_tag::kTileOffsets:
        case tiff_tag::kJpegInterchangeFormat: data = true; break;
        default: break;
        }
    }
    return width && length && data;
}

} // namespace stavren
