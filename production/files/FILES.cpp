// The C entry points of the image library over live image handles.
#include "production/files/FILES.h"
#include "production/files/FilesImage.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <sys/stat.h>

struct FILES_Image {
    files::Image image;
};

namespace {

std::set<FILES_Image*>& live()
{
    static std::set<FILES_Image*> handles;
    return handles;
}

files::Image* imageOf(FILES_Handle h)
{
    return live().count(h) ? &h->image : nullptr;
}

FILES_Handle adopt(std::unique_ptr<FILES_Image> image)
{
    FILES_Handle h = image.release();
    live().insert(h);
    return h;
}

// The whole file, if it is a regular file within the size limit.
bool readFile(const char* path, std::vector<std::uint8_t>& bytes)
{
    std::FILE* f = std::fopen(path, "rb");
    if (!f)
        return false;
    struct stat st {};
    const bool regular = ::fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
                         static_cast<std::uint64_t>(st.st_size) <= FILES_MAX_FILE_SIZE;
    if (regular) {
        bytes.resize(static_cast<std::size_t>(st.st_size));
        const std::size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), f);
        bytes.resize(got);
    }
    const bool readOk = regular && !std::ferror(f);
    std::fclose(f);
    return readOk;
}

}  // namespace

extern "C" {

unsigned int FILES_ImageFromFile(const char* path, FILES_Handle* image, int format)
{
    if (!path || !image || format != FILES_FORMAT_HEX)
        return FILES_ERR_ARGUMENT;
    std::vector<std::uint8_t> text;
    if (!readFile(path, text))
        return FILES_ERR_NOT_FOUND;
    auto made = std::make_unique<FILES_Image>();
    if (const unsigned s = files::imageFromHex(text, made->image); s != FILES_OK)
        return s;
    const char* slash = std::strrchr(path, '/');
    made->image.name = slash ? slash + 1 : path;
    *image = adopt(std::move(made));
    return FILES_OK;
}

unsigned int FILES_CreateImage(FILES_Handle* image, int id)
{
    if (!image)
        return FILES_ERR_ARGUMENT;
    auto made = std::make_unique<FILES_Image>();
    made->image.name = "Image " + std::to_string(id);
    *image = adopt(std::move(made));
    return FILES_OK;
}

unsigned int FILES_CreateImageFromMapping(FILES_Handle* image, const FILES_Mapping* mapping)
{
    if (!image || !mapping || (mapping->Count > 0 && !mapping->Sectors))
        return FILES_ERR_ARGUMENT;
    auto made = std::make_unique<FILES_Image>();
    for (unsigned i = 0; i < mapping->Count; ++i) {
        const FILES_Sector& s = mapping->Sectors[i];
        if (s.Size > FILES_MAX_FILE_SIZE)
            return FILES_ERR_ARGUMENT;  // no part has sectors this large; refuse before allocating
        if (!made->image.add(s.Address, std::vector<std::uint8_t>(s.Size, 0xFF)))
            return FILES_ERR_ARGUMENT;
    }
    *image = adopt(std::move(made));
    return FILES_OK;
}

unsigned int FILES_DestroyImage(FILES_Handle image)
{
    if (!imageOf(image))
        return FILES_ERR_HANDLE;
    live().erase(image);
    delete image;
    return FILES_OK;
}

unsigned int FILES_GetImageNbElement(FILES_Handle image, unsigned int* count)
{
    const files::Image* img = imageOf(image);
    if (!img)
        return FILES_ERR_HANDLE;
    if (!count)
        return FILES_ERR_ARGUMENT;
    *count = static_cast<unsigned>(img->elements().size());
    return FILES_OK;
}

unsigned int FILES_GetImageElement(FILES_Handle image, unsigned int index, FILES_ImageElement* element)
{
    const files::Image* img = imageOf(image);
    if (!img)
        return FILES_ERR_HANDLE;
    if (!element)
        return FILES_ERR_ARGUMENT;
    if (index >= img->elements().size())
        return FILES_ERR_INDEX;
    const files::Element& e = img->elements()[index];
    const auto length = static_cast<unsigned>(e.data.size());
    if (element->Data) {
        if (element->Length < length) {
            element->Length = length;
            return FILES_ERR_ARGUMENT;
        }
        std::memcpy(element->Data, e.data.data(), length);
    }
    element->Address = e.address;
    element->Length = length;
    return FILES_OK;
}

unsigned int FILES_SetImageElement(FILES_Handle image, unsigned int index, int insert, const FILES_ImageElement* element)
{
    files::Image* img = imageOf(image);
    if (!img)
        return FILES_ERR_HANDLE;
    if (!element || (element->Length > 0 && !element->Data))
        return FILES_ERR_ARGUMENT;
    const std::span<const std::uint8_t> bytes(element->Data, element->Length);
    if (insert)
        return img->add(element->Address, bytes) ? FILES_OK : FILES_ERR_ARGUMENT;
    if (index >= img->elements().size())
        return FILES_ERR_INDEX;
    return img->replace(index, element->Address, bytes) ? FILES_OK : FILES_ERR_ARGUMENT;
}

unsigned int FILES_FilterImageForOperation(FILES_Handle image, const FILES_Mapping* mapping, int operation)
{
    files::Image* img = imageOf(image);
    if (!img)
        return FILES_ERR_HANDLE;
    if (!mapping || operation != 0 || (mapping->Count > 0 && !mapping->Sectors))
        return FILES_ERR_ARGUMENT;
    img->keepOnly(std::span(mapping->Sectors, mapping->Count));
    return FILES_OK;
}

unsigned int FILES_SetImageName(FILES_Handle image, const char* name)
{
    files::Image* img = imageOf(image);
    if (!img)
        return FILES_ERR_HANDLE;
    if (!name || std::strlen(name) > FILES_MAX_NAME)
        return FILES_ERR_ARGUMENT;
    img->name = name;
    return FILES_OK;
}

unsigned int FILES_GetImageName(FILES_Handle image, char* name, unsigned int size)
{
    const files::Image* img = imageOf(image);
    if (!img)
        return FILES_ERR_HANDLE;
    if (!name || size <= img->name.size())
        return FILES_ERR_ARGUMENT;
    std::memcpy(name, img->name.c_str(), img->name.size() + 1);
    return FILES_OK;
}

}  // extern "C"
