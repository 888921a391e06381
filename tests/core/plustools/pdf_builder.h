#pragma once

// PDFs written object by object for the tests, with a correct
// cross-reference table (or stream), and zlib's compression of stream data.

#include <zlib.h>

#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>

namespace leafwright::testing {

// Deflate data with a zlib header, as FlateDecode reads it.
inline std::string zlibCompress(std::string_view data, int level = 6) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()),
                  level) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

// Deflate data (with a zlib header) that inflates to `count` copies of
// `chunk`, in about `count` times the chunk's compressed size: compressed
// after a full flush the chunk gives the same bytes every time, so they are
// made once and repeated. `ended`: with the final block and the checksum.
inline std::string repeatedDeflate(const std::string& chunk, std::size_t count, bool ended) {
    z_stream stream{};
    if (deflateInit(&stream, 9) != Z_OK) throw std::runtime_error("deflateInit failed");
    std::string out, block;
    auto deflateSome = [&](int flush, std::string& into) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(chunk.data()));
        stream.avail_in = flush == Z_FINISH ? 0 : static_cast<uInt>(chunk.size());
        char buffer[1 << 16];
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            into.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
    };
    deflateSome(Z_FULL_FLUSH, out);  // the header and the first copy
    deflateSome(Z_FULL_FLUSH, block);
    for (std::size_t k = 1; k < count; ++k) out += block;
    if (ended) {
        std::string end;
        deflateSome(Z_FINISH, end);
        // The checksum (of the two copies deflate saw) made that of all.
        uLong check = adler32(0, nullptr, 0);
        for (std::size_t k = 0; k < count; ++k)
            check = adler32(check, reinterpret_cast<const Bytef*>(chunk.data()),
                            static_cast<uInt>(chunk.size()));
        end.resize(end.size() - 4);
        for (int shift = 24; shift >= 0; shift -= 8)
            end += static_cast<char>((check >> shift) & 0xFF);
        out += end;
    }
    deflateEnd(&stream);
    return out;
}

// Deflate data that inflates to `megabytes` MB of zeros.
inline std::string zeroBomb(std::size_t megabytes, bool ended) {
    return repeatedDeflate(std::string(1 << 20, '\0'), megabytes, ended);
}

// The rows of `data` (each `columns` bytes) with a PNG filter byte before
// each, the filter chosen by row: 0 none, 1 sub, 2 up, 3 average, 4 Paeth.
inline std::string pngPredicted(std::string_view data, std::size_t columns) {
    std::string out, previous(columns, '\0');
    for (std::size_t row = 0; row * columns < data.size(); ++row) {
        std::string current(data.substr(row * columns, columns));
        current.resize(columns, '\0');
        const int filter = static_cast<int>(row % 5);
        out += static_cast<char>(filter);
        for (std::size_t k = 0; k < columns; ++k) {
            const int x = static_cast<unsigned char>(current[k]);
            const int left = k > 0 ? static_cast<unsigned char>(current[k - 1]) : 0;
            const int up = static_cast<unsigned char>(previous[k]);
            const int upLeft = k > 0 ? static_cast<unsigned char>(previous[k - 1]) : 0;
            int predicted = 0;
            if (filter == 1) predicted = left;
            if (filter == 2) predicted = up;
            if (filter == 3) predicted = (left + up) / 2;
            if (filter == 4) {
                const int p = left + up - upLeft;
                const int a = std::abs(p - left), b = std::abs(p - up), c = std::abs(p - upLeft);
                predicted = a <= b && a <= c ? left : b <= c ? up : upLeft;
            }
            out += static_cast<char>((x - predicted) & 0xFF);
        }
        previous = current;
    }
    return out;
}

class PdfBuilder {
  public:
    // Object `number`: the text between "N 0 obj" and "endobj".
    void add(int number, std::string body) { objects_[number] = std::move(body); }
    // A stream object: its dictionary's entries (without /Length, which is
    // added, direct or as the indirect object lengthObject), then its data.
    void addStream(int number, const std::string& entries, const std::string& data,
                   int lengthObject = 0) {
        const std::string length =
            lengthObject == 0 ? std::to_string(data.size()) : std::to_string(lengthObject) + " 0 R";
        objects_[number] =
            "<< " + entries + " /Length " + length + " >>\nstream\n" + data + "\nendstream";
        if (lengthObject != 0) objects_[lengthObject] = std::to_string(data.size());
    }

    // The whole file with a classic table; `trailer` adds entries to the
    // trailer dictionary.
    std::string build(int root, const std::string& trailer = "") const {
        std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
        std::map<int, std::size_t> offsets = writeObjects(pdf);
        const int size = objects_.empty() ? 1 : objects_.rbegin()->first + 1;
        const std::size_t xref = pdf.size();
        pdf += "xref\n0 " + std::to_string(size) + "\n0000000000 65535 f \n";
        char entry[24];
        for (int number = 1; number < size; ++number) {
            auto found = offsets.find(number);
            std::snprintf(entry, sizeof entry, "%010zu 00000 %c \n",
                          found == offsets.end() ? std::size_t{0} : found->second,
                          found == offsets.end() ? 'f' : 'n');
            pdf += entry;
        }
        pdf += "trailer\n<< /Size " + std::to_string(size) + " /Root " + std::to_string(root) +
               " 0 R " + trailer + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
        return pdf;
    }

    // The whole file with a cross-reference stream (rows of /W [1 3 1],
    // compressed with PNG predictor 12); `inObjectStreams` lists objects
    // whose entries say they stand in object stream `objectStream`.
    std::string buildWithStream(int root, const std::map<int, int>& inObjectStreams = {}) const {
        std::string pdf = "%PDF-1.5\n";
        std::map<int, std::size_t> offsets = writeObjects(pdf);
        int size = objects_.empty() ? 1 : objects_.rbegin()->first + 1;
        for (const auto& [number, stream] : inObjectStreams) size = std::max(size, number + 1);
        const int self = size++;
        offsets[self] = pdf.size();
        std::string rows;
        for (int number = 0; number < size; ++number) {
            auto compressed = inObjectStreams.find(number);
            auto found = offsets.find(number);
            int type = 0;
            std::size_t field = 0, index = 0;
            if (compressed != inObjectStreams.end()) {
                type = 2;
                field = static_cast<std::size_t>(compressed->second);
            } else if (found != offsets.end()) {
                type = 1;
                field = found->second;
            }
            rows += static_cast<char>(type);
            rows += static_cast<char>(field >> 16);
            rows += static_cast<char>(field >> 8);
            rows += static_cast<char>(field);
            rows += static_cast<char>(index);
        }
        const std::string data = zlibCompress(pngPredicted(rows, 5));
        pdf += std::to_string(self) + " 0 obj\n<< /Type /XRef /Size " + std::to_string(size) +
               " /W [1 3 1] /Root " + std::to_string(root) +
               " 0 R /Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns 5 >> /Length " +
               std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream\nendobj\n";
        pdf += "startxref\n" + std::to_string(offsets[self]) + "\n%%EOF\n";
        return pdf;
    }

  private:
    std::map<int, std::size_t> writeObjects(std::string& pdf) const {
        std::map<int, std::size_t> offsets;
        for (const auto& [number, body] : objects_) {
            offsets[number] = pdf.size();
            pdf += std::to_string(number) + " 0 obj\n" + body + "\nendobj\n";
        }
        return offsets;
    }

    std::map<int, std::string> objects_;
};

}  // namespace leafwright::testing
