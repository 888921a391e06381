#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright::testing {

// UTF-8 text in another encoding, as the system's iconv program writes it
// (an outside judge of the encodings).
inline std::string encodedAs(const std::string& utf8, const std::string& encoding) {
    TempDir dir;
    writeBytes(dir.file("utf8.txt"), utf8);
    const ProcessResult result =
        runProcess({"iconv", "-f", "UTF-8", "-t", encoding, dir.file("utf8.txt")});
    EXPECT_EQ(result.exitStatus, 0) << encoding << ": " << result.err;
    return result.out;
}

// The UTF-8 the system's iconv program reads in bytes of an encoding.
inline std::string decodedFrom(const std::string& bytes, const std::string& encoding) {
    TempDir dir;
    writeBytes(dir.file("encoded.txt"), bytes);
    const ProcessResult result =
        runProcess({"iconv", "-f", encoding, "-t", "UTF-8", dir.file("encoded.txt")});
    EXPECT_EQ(result.exitStatus, 0) << encoding << ": " << result.err;
    return result.out;
}

inline bool haveIconvProgram() {
    return runProcess({"iconv", "--version"}).exitStatus == 0;
}

// Sentences written for these tests, one language each.
inline const std::string kRussian =
    "Вчера вечером мы долго гуляли по набережной и говорили о книгах.\n"
    "Старый мост через реку починили только к поздней осени.\n"
    "Кошка спит на подоконнике, а за окном тихо падает снег.\n"
    "Каждое утро сосед выгуливает собаку возле булочной.\n"
    "Мы купили хлеб, сыр и немного яблок для дороги.\n"
    "Поезд опоздал на двадцать минут из-за сильного ветра.\n"
    "В библиотеке было тепло, и никто не хотел уходить домой.\n"
    "Летом бабушка варит варенье из смородины и малины.\n";
inline const std::string kCzechAndPolish =
    "Příští týden pojedeme vlakem do Brna na návštěvu.\n"
    "Žluťoučký kůň běžel přes louku až k řece.\n"
    "Żółta łódka płynęła powoli wzdłuż brzegu jeziora.\n"
    "Babcia upiekła szarlotkę, a dziadek zaparzył herbatę.\n";
inline const std::string kJapanese =
    "今日は朝から雨が降っているので、家で本を読みます。\n"
    "駅の近くに新しいパン屋ができました。\n"
    "週末は友達と一緒に山へハイキングに行く予定です。\n"
    "この料理は少し辛いですが、とてもおいしいです。\n";
inline const std::string kChinese =
    "我们明天早上八点在图书馆门口见面。\n"
    "这条河的水比去年清澈多了。\n"
    "他每天骑自行车上班，风雨无阻。\n"
    "价格是二十欧元（€20），附赠一个笑脸😀。\n";

}  // namespace leafwright::testing
