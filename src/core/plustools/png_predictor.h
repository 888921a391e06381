#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace leafwright {

// Undoes the predictor of FlateDecode's /DecodeParms on data fed in pieces
// of any size: the PNG predictors (10 to 15: each row begins with the byte
// of its own PNG filter) and the TIFF predictor 2 for 8-bit samples. Only
// two rows are held, whatever the data's length.
class PredictorDecoder {
  public:
    using Output = std::function<void(std::string_view rows)>;

    // The row's bytes: ceil(colors * bitsPerComponent * columns / 8).
    // png: whether each row carries a filter byte.
    PredictorDecoder(bool png, std::size_t rowBytes, std::size_t bytesPerPixel, Output out);

    void feed(std::string_view bytes);
    // The end of the data: a last row cut short is given as far as it goes.
    void finish();

  private:
    void endRow();

    bool png_;
    std::size_t rowBytes_;
    std::size_t pixelBytes_;
    Output out_;
    std::string previous_;
    std::string row_;  // the row being read, its filter byte first for PNG
};

}  // namespace leafwright
