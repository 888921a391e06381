#pragma once

// HarfBuzz objects as owners, for the faces in this folder only: every path
// out of a face's code releases what it took.

#include <hb-ot.h>
#include <hb.h>

#include <memory>
#include <string>
#include <string_view>

#include "core/fonts/font_file.h"

namespace leafwright::harfbuzz {

struct BlobDeleter {
    void operator()(hb_blob_t* blob) const { hb_blob_destroy(blob); }
};
struct FaceDeleter {
    void operator()(hb_face_t* face) const { hb_face_destroy(face); }
};
struct FontDeleter {
    void operator()(hb_font_t* font) const { hb_font_destroy(font); }
};
using Blob = std::unique_ptr<hb_blob_t, BlobDeleter>;
using Face = std::unique_ptr<hb_face_t, FaceDeleter>;
using Font = std::unique_ptr<hb_font_t, FontDeleter>;

// The blob of a font file's bytes, which it owns from then on.
Blob blobOf(FontFileBytes bytes);

// One table of a face as bytes; empty when the face has none.
class Table {
  public:
    Table(hb_face_t* face, hb_tag_t tag);
    Table(hb_face_t* face, char a, char b, char c, char d) : Table(face, HB_TAG(a, b, c, d)) {}
    bool present() const { return length_ > 0; }
    // Big-endian numbers at a byte offset; 0 past the end of a short table.
    unsigned u16(unsigned offset) const;
    int s16(unsigned offset) const;
    unsigned long u32(unsigned offset) const;
    // The whole table, valid while this object lives.
    std::string_view bytes() const { return {data_ ? data_ : "", length_}; }

  private:
    Blob blob_;
    const char* data_ = nullptr;
    unsigned length_ = 0;
};

// A name of the face from its name table (up to 127 bytes), or empty.
std::string faceName(hb_face_t* face, hb_ot_name_id_t id);

// The face's embedding permissions (the OS/2 table's fsType), 0 when it has
// no OS/2 table; "restricted licence" is 0x0002 in the low four bits.
unsigned embeddingPermissions(hb_face_t* face);
inline bool restrictedLicence(unsigned permissions) {
    return (permissions & 0x000F) == 0x0002;
}

}  // namespace leafwright::harfbuzz
