#include "engine/tiff_reader.h"

#include "engine/tiff_types.h"

namespace stavren {

TiffReader::TiffReader(std::string name, std::int32_t pagesNeeded) : stream(name), chain_(stream)
{
    byteOrder = chain_.ByteOrder();
    while (PageCount() < pagesNeeded && ReadIfd()) {
    }
}

TiffReader::~TiffReader()
{
    while (!ifds.empty()) {
        ifds.back().Clear();
        ifds.pop_back();
    }
}

std::int32_t TiffReader::PageCount() const
{
    return static_cast<std::int32_t>(ifds.size());
}

std::int32_t TiffReader::CountAllPages()
{
    ChainDirectory dir;
    while (chain_.Next(dir)) {
    }
    return chain_.Pages();
}

bool TiffReader::ReadIfd()
{
    ChainDirectory dir;
    if (!chain_.Next(dir, true))
        return false;
    IfdRecord record;
    // A directory the file cuts short is still a page, with the entries
    // read in full.
    record.Parse(dir.entries, dir.entriesRead, byteOrder);
    ifds.push_back(std::move(record));
    return true;
}

bool TiffReader::HasImage(std::int32_t pageIndex) const
{
    if (pageIndex < 0 || pageIndex >= PageCount())
        return false;
    bool width = false, length = false, data = false;
    for (const IfdEntry& e : ifds[static_cast<std::size_t>(pageIndex)].entries) {
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
