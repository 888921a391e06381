#include "core/fonts/harfbuzz_handles.h"

#include <cstdint>
#include <utility>

namespace leafwright::harfbuzz {

Blob blobOf(FontFileBytes bytes) {
    auto* owned = new FontFileBytes(std::move(bytes));
    return Blob(hb_blob_create(owned->data.get(), static_cast<unsigned>(owned->size),
                               HB_MEMORY_MODE_READONLY, owned,
                               [](void* data) { delete static_cast<FontFileBytes*>(data); }));
}

Table::Table(hb_face_t* face, hb_tag_t tag) : blob_(hb_face_reference_table(face, tag)) {
    data_ = hb_blob_get_data(blob_.get(), &length_);
}

unsigned Table::u16(unsigned offset) const {
    if (offset + 2 > length_) return 0;
    return (static_cast<unsigned char>(data_[offset]) << 8) |
           static_cast<unsigned char>(data_[offset + 1]);
}

int Table::s16(unsigned offset) const {
    return static_cast<std::int16_t>(u16(offset));
}

unsigned long Table::u32(unsigned offset) const {
    return (static_cast<unsigned long>(u16(offset)) << 16) | u16(offset + 2);
}

std::string faceName(hb_face_t* face, hb_ot_name_id_t id) {
    char name[128] = {};
    unsigned size = sizeof name;
    hb_ot_name_get_utf8(face, id, HB_LANGUAGE_INVALID, &size, name);
    return name;
}

unsigned embeddingPermissions(hb_face_t* face) {
    return Table(face, 'O', 'S', '/', '2').u16(8);
}

}  // namespace leafwright::harfbuzz
