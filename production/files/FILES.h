/* FILES: controller images for the serial bootloader, as a shared library with C entry points
 * that the program loads at run time (libFILES.so, FILES.dll).
 *
 * An image is a list of elements: contiguous blocks of bytes at full 32-bit addresses, in
 * ascending address order, never overlapping and never touching (touching blocks are one
 * element). Images are reached through handles that only this library creates; a handle that it
 * did not create, or one already destroyed, is refused with FILES_ERR_HANDLE.
 *
 * Every entry point returns FILES_OK on success or one of the error codes below.
 * Not thread-safe: call from one thread.
 */
#ifndef PRESSDIAG_FILES_H
#define PRESSDIAG_FILES_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#  define FILES_API __declspec(dllexport)
#else
#  define FILES_API __attribute__((visibility("default")))
#endif

#define FILES_OK               0x12340000u
#define FILES_ERR_NOT_FOUND    0x12340001u /* the file cannot be opened, is not a regular file or is too large */
#define FILES_ERR_FORMAT       0x12340002u /* not an Intel HEX file this library accepts (see FILES_ImageFromFile) */
#define FILES_ERR_HANDLE       0x12340003u /* not a live image handle */
#define FILES_ERR_INDEX        0x12340004u /* element index out of range */
#define FILES_ERR_ARGUMENT     0x12340005u /* null pointer, unknown format, too small a buffer, overlap */

#define FILES_FORMAT_HEX       1           /* Intel HEX */
#define FILES_MAX_FILE_SIZE    (64u * 1024u * 1024u)
#define FILES_MAX_NAME         255u

typedef struct FILES_Image* FILES_Handle;

/* One element. Address and Length describe it; Data points at Length bytes. */
typedef struct FILES_ImageElement {
    unsigned int Address;
    unsigned int Length;
    unsigned char* Data;
} FILES_ImageElement;

/* A memory map of a part: Count sectors at ascending addresses. */
typedef struct FILES_Sector {
    unsigned int Address;
    unsigned int Size;
} FILES_Sector;
typedef struct FILES_Mapping {
    unsigned int Count;
    const FILES_Sector* Sectors;
} FILES_Mapping;

/* Reads an Intel HEX file (format FILES_FORMAT_HEX) into a new image. Data records (00) are
 * placed with extended segment (02: base = value * 16, offsets wrap within the 64 KB segment) and
 * extended linear (04: base = value << 16) address records, which must hold 2 bytes; 03 and 05 are
 * ignored; 01 ends the file. FILES_ERR_FORMAT for a damaged record, a wrong checksum, data that
 * overlap earlier data or run past 4 GB. *image is set only on success. */
FILES_API unsigned int FILES_ImageFromFile(const char* path, FILES_Handle* image, int format);

/* A new image without elements; id is kept as its name ("Image <id>"). */
FILES_API unsigned int FILES_CreateImage(FILES_Handle* image, int id);

/* A new image with one element per sector of mapping, each filled with erased flash (0xFF). */
FILES_API unsigned int FILES_CreateImageFromMapping(FILES_Handle* image, const FILES_Mapping* mapping);

/* Releases an image; its handle is dead afterwards. */
FILES_API unsigned int FILES_DestroyImage(FILES_Handle image);

/* The number of elements into *count. */
FILES_API unsigned int FILES_GetImageNbElement(FILES_Handle image, unsigned int* count);

/* Element index (0-based). With element->Data NULL: fills Address and Length. With a buffer:
 * element->Length on entry is its size in bytes; when it holds the whole element, Address,
 * Length and the data are filled in, otherwise FILES_ERR_ARGUMENT with Length set to what is
 * needed and nothing copied. */
FILES_API unsigned int FILES_GetImageElement(FILES_Handle image, unsigned int index, FILES_ImageElement* element);

/* insert 1: adds a copy of element (Length bytes from Data) where its address belongs; index is
 * ignored. insert 0: replaces element index by the copy. Either way the image must stay free of
 * overlaps (FILES_ERR_ARGUMENT otherwise, nothing changes); touching neighbours are merged. */
FILES_API unsigned int FILES_SetImageElement(FILES_Handle image, unsigned int index, int insert,
                                             const FILES_ImageElement* element);

/* Keeps only the bytes that lie in the mapping's sectors (operation 0: write); elements are cut
 * at sector edges and merged again where the sectors touch. Any other operation: FILES_ERR_ARGUMENT. */
FILES_API unsigned int FILES_FilterImageForOperation(FILES_Handle image, const FILES_Mapping* mapping, int operation);

/* Names an image (copied, at most FILES_MAX_NAME characters); FILES_GetImageName copies the name
 * with its terminating zero into name when size allows, else FILES_ERR_ARGUMENT. */
FILES_API unsigned int FILES_SetImageName(FILES_Handle image, const char* name);
FILES_API unsigned int FILES_GetImageName(FILES_Handle image, char* name, unsigned int size);

#ifdef __cplusplus
}
#endif

#endif
