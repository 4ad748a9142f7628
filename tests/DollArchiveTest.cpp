// The doll file: packed so that other readers take it and the type lies at byte 38, unpacked
// to the same pictures, every hostile archive refused with its reason, and the temporary
// folders of unpacks cleared only when abandoned.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>

#include "TestFiles.h"
#include "doll/LevelNames.h"
#include "doll/ShapeProfile.h"
#include "dollfile/DollExport.h"
#include "dollfile/DollFileReader.h"
#include "dollfile/DollUnpack.h"
#include "pictures/ImageInput.h"

namespace {

void Append(Bytes& bytes, std::uint64_t value, int width) {
  for (int i = 0; i < width; ++i) bytes.push_back(value >> 8 * i & 0xFF);
}
std::uint32_t Get16(const Bytes& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8;
}
std::uint32_t Get32(const Bytes& bytes, std::size_t at) {
  return Get16(bytes, at) | Get16(bytes, at + 2) << 16;
}
Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

// An entry of the test's own ZIP writer, which puts every field as it is told.
struct RawEntry {
  std::string Name;
  Bytes Data{};  // as it lies in the archive
  std::uint16_t Method = 0;
  std::uint16_t Flags = 0;
  std::uint32_t Attributes = 0100644u << 16;  // a Unix mode in the high half
  std::int64_t Size = -1;                     // unpacked; the data's length when -1
  std::int64_t Crc = -1;                      // the data's when -1
  Bytes Extra{};                              // in the local header and the central entry
  Bytes Descriptor{};                         // after the data
  std::uint16_t MadeBy = 0x0314;              // the system (Unix) and the version
  std::uint16_t Needed = 20;                  // the version needed
  Bytes LocalExtra{};                         // in the local header only, after Extra
};

// The archive of `entries`, laid out in their order; the central directory lists them in
// `order` (theirs when empty).
Bytes Zip(const std::vector<RawEntry>& entries, std::vector<std::size_t> order = {}) {
  Bytes zip;
  std::vector<Bytes> centrals;
  for (const RawEntry& e : entries) {
    Bytes common;  // from the version needed on, as the local header and central entry share it
    const std::uint32_t crc = e.Crc >= 0 ? e.Crc : crc32(0, e.Data.data(), e.Data.size());
    const std::uint32_t size = e.Size >= 0 ? e.Size : e.Data.size();
    for (const auto& [value, width] : std::initializer_list<std::pair<std::uint32_t, int>>{
             {e.Needed, 2},
             {e.Flags, 2},
             {e.Method, 2},
             {0x210000, 4},
             {crc, 4},
             {static_cast<std::uint32_t>(e.Data.size()), 4},
             {size, 4},
             {static_cast<std::uint32_t>(e.Name.size()), 2}})
      Append(common, value, width);
    Bytes& central = centrals.emplace_back();
    Append(central, 0x02014b50, 4);
    Append(central, e.MadeBy, 2);
    central.insert(central.end(), common.begin(), common.end());
    Append(central, e.Extra.size(), 2);
    Append(central, 0, 6);
    Append(central, e.Attributes, 4);
    Append(central, zip.size(), 4);
    for (const Bytes& part : {Text(e.Name), e.Extra})
      central.insert(central.end(), part.begin(), part.end());
    Append(zip, 0x04034b50, 4);
    zip.insert(zip.end(), common.begin(), common.end());
    Append(zip, e.Extra.size() + e.LocalExtra.size(), 2);
    for (const Bytes& part : {Text(e.Name), e.Extra, e.LocalExtra, e.Data, e.Descriptor})
      zip.insert(zip.end(), part.begin(), part.end());
  }
  const std::uint32_t directory = zip.size();
  if (order.empty())
    for (std::size_t i = 0; i < entries.size(); ++i) order.push_back(i);
  Bytes central;
  for (const std::size_t i : order)
    central.insert(central.end(), centrals[i].begin(), centrals[i].end());
  zip.insert(zip.end(), central.begin(), central.end());
  Append(zip, 0x06054b50, 4);
  Append(zip, 0, 4);
  Append(zip, entries.size() * 0x10001, 4);  // on this disk and in all
  Append(zip, central.size(), 4);
  Append(zip, directory, 4);
  Append(zip, 0, 2);
  return zip;
}

// Where the central entry `index` starts.
std::size_t Central(const Bytes& zip, int index) {
  std::size_t at = Get32(zip, zip.size() - 6);
  for (int i = 0; i < index; ++i)
    at += 46 + Get16(zip, at + 28) + Get16(zip, at + 30) + Get16(zip, at + 32);
  return at;
}

Bytes Patched(Bytes zip, const std::function<void(Bytes&)>& patch) {
  patch(zip);
  return zip;
}

// The CRC of `count` zeros, from that of half as many.
uLong ZerosCrc(std::int64_t count) {
  const std::uint8_t zero = 0;
  if (count == 0) return crc32(0, nullptr, 0);
  const uLong half = ZerosCrc(count / 2);
  const uLong twice = crc32_combine(half, half, count / 2);
  return count % 2 == 0 ? twice : crc32(twice, &zero, 1);
}

// A picture of `count` zeros as a fixed-Huffman deflate block: a literal zero, copies of 258
// bytes from one back, literals for the rest.
RawEntry Zeros(const std::string& name, std::int64_t count) {
  Bytes data;
  std::uint32_t held = 0, bits = 0;
  const auto put = [&](std::uint32_t code, int length) {  // high bit first, as Huffman codes go
    for (int i = length - 1; i >= 0; --i) {
      held |= (code >> i & 1) << bits;
      if (++bits == 8) data.push_back(held), held = bits = 0;
    }
  };
  put(0b110, 3);  // the last block, fixed codes
  put(0x30, 8);
  for (std::int64_t i = 0; i < (count - 1) / 258; ++i) put(0xC5 << 5, 13);
  for (std::int64_t i = 0; i < (count - 1) % 258; ++i) put(0x30, 8);
  put(0, 7 + 7);  // the end of the block, and the last byte filled
  return {name, data, 8, 0, 0100644u << 16, count, static_cast<std::int64_t>(ZerosCrc(count))};
}

// `plain` deflated, as most writers store a picture.
RawEntry Deflated(const std::string& name, const Bytes& plain) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  Bytes packed(deflateBound(&z, plain.size()));
  z.next_in = const_cast<std::uint8_t*>(plain.data());
  z.avail_in = plain.size();
  z.next_out = packed.data();
  z.avail_out = packed.size();
  deflate(&z, Z_FINISH);
  packed.resize(z.total_out);
  deflateEnd(&z);
  return {name,
          packed,
          8,
          0,
          0100644u << 16,
          static_cast<std::int64_t>(plain.size()),
          static_cast<std::int64_t>(crc32(0, plain.data(), plain.size()))};
}

// Every picture of the doll file, read to its end.
std::vector<TDollPicture> Unpacked(const Bytes& zip) {
  TDollFile doll(zip, "x.kavinel");
  std::vector<TDollPicture> pictures;
  for (std::size_t i = 0; i < doll.Pictures().size(); ++i) {
    TDollPicture& picture = pictures.emplace_back(TDollPicture{doll.Pictures()[i], {}});
    const auto stream = doll.OpenPicture(i);
    stream->CopyTo([&](const std::uint8_t* bytes, std::size_t count) {
      picture.Bytes.insert(picture.Bytes.end(), bytes, bytes + count);
    });
    stream->Finish();
  }
  return pictures;
}

// The archive with `bytes` put in front and every offset moved past them, as a script would.
Bytes Prefixed(const Bytes& zip, const std::string& bytes) {
  Bytes moved = Text(bytes);
  moved.insert(moved.end(), zip.begin(), zip.end());
  const std::size_t count = Get16(zip, zip.size() - 12);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = bytes.size() + Central(zip, i) + 42;
    const std::uint32_t offset = Get32(moved, at) + bytes.size();
    for (int k = 0; k < 4; ++k) moved[at + k] = offset >> 8 * k & 0xFF;
  }
  const std::size_t at = moved.size() - 6;
  const std::uint32_t offset = Get32(moved, at) + bytes.size();
  for (int k = 0; k < 4; ++k) moved[at + k] = offset >> 8 * k & 0xFF;
  return moved;
}

// The archive with `comment` as the end record's comment.
Bytes Commented(Bytes zip, const Bytes& comment) {
  zip[zip.size() - 2] = comment.size() & 0xFF;
  zip[zip.size() - 1] = comment.size() >> 8;
  zip.insert(zip.end(), comment.begin(), comment.end());
  return zip;
}

// The entry deferring its lengths to a data descriptor after its data, with its signature or
// without; `lie` is added to the descriptor's compressed size.
RawEntry Described(RawEntry entry, std::uint32_t lie, bool signature = true) {
  entry.Flags |= 8;
  if (signature) Append(entry.Descriptor, 0x08074b50, 4);
  Append(entry.Descriptor,
         entry.Crc >= 0 ? entry.Crc : crc32(0, entry.Data.data(), entry.Data.size()), 4);
  Append(entry.Descriptor, entry.Data.size() + lie, 4);
  Append(entry.Descriptor, entry.Size >= 0 ? entry.Size : entry.Data.size(), 4);
  return entry;
}

// The archive with `record` as the last central entry's comment, just before the end record,
// where readers searching the tail come upon it.
Bytes HiddenInComment(Bytes zip, const Bytes& record) {
  const std::size_t last = Central(zip, Get16(zip, zip.size() - 12) - 1);
  zip[last + 32] = record.size();
  const std::uint32_t directoryBytes = Get32(zip, zip.size() - 10) + record.size();
  for (int k = 0; k < 4; ++k) zip[zip.size() - 10 + k] = directoryBytes >> 8 * k & 0xFF;
  zip.insert(zip.end() - 22, record.begin(), record.end());
  return zip;
}

constexpr std::uint32_t EndRecord = 0x06054b50, Zip64End = 0x06064b50, Zip64Locator = 0x07064b50;

// A record that readers follow: an end record, a ZIP64 end record or a ZIP64 locator, all of
// whose fields are 0, so that it points at the start of the file.
Bytes Record(std::uint32_t signature) {
  Bytes record(signature == EndRecord ? 22 : signature == Zip64End ? 56 : 20);
  for (int k = 0; k < 4; ++k) record[k] = signature >> 8 * k & 0xFF;
  return record;
}

// An extra field of `id` holding `data`.
Bytes Field(std::uint16_t id, const Bytes& data) {
  Bytes field{static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8),
              static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(data.size() >> 8)};
  for (const std::uint8_t byte : data) field.push_back(byte);
  return field;
}

const RawEntry Mimetype{"mimetype", Text(DollFileType)};
const RawEntry Shape{"シェイプ.bmp", Text("BM shape")};

TEST(DollArchive, PicturesComeBackInTheirOrder) {
  std::vector<TDollPicture> pictures;
  for (const char* name : {"シェイプ.bmp", "テクスチャ.bmp", "シェイプ2.bmp", "テクスチャ2.bmp",
                           "テクスチャ3.bmp", "シェイプ3.bmp"})
    pictures.push_back({name, Bytes(1000 + pictures.size(), pictures.size())});
  const std::vector<TDollPicture> back = Unpacked(PackDoll(pictures, Text("PNG")));
  ASSERT_EQ(back.size(), pictures.size());
  for (std::size_t i = 0; i < back.size(); ++i) {
    EXPECT_EQ(back[i].Name, pictures[i].Name);
    EXPECT_EQ(back[i].Bytes, pictures[i].Bytes) << back[i].Name;
  }
}

TEST(DollArchive, PackedAsOtherReadersExpect) {
  const Bytes zip = PackDoll({{"シェイプ.bmp", Text("BM")}}, Text("PNG"));
  EXPECT_EQ(std::string(zip.begin(), zip.begin() + 4) +
                std::string(zip.begin() + 30, zip.begin() + 38 + DollFileType.size()),
            std::string("PK\3\4", 4) + "mimetype" + DollFileType);
  const std::pair<std::string, std::uint32_t> entries[] = {
      {"mimetype", 0}, {"シェイプ.bmp", 8}, {DollThumbnailName, 0}};  // with their methods
  for (int i = 0; i < 3; ++i) {
    const auto& [name, method] = entries[i];
    const std::size_t central = Central(zip, i), local = Get32(zip, central + 42);
    EXPECT_EQ(std::string(zip.begin() + local + 30, zip.begin() + local + 30 + name.size()), name);
    EXPECT_EQ(Get16(zip, local + 8), method) << name;
    EXPECT_EQ(Get16(zip, local + 28) + Get16(zip, central + 30), 0u) << name << ": extra fields";
    EXPECT_EQ(Get16(zip, local + 6) & 1 << 3, 0u) << name << ": data descriptor";
    EXPECT_EQ(Get16(zip, central + 8) >> 11 & 1, static_cast<std::uint8_t>(name[0]) >> 7)
        << name << ": UTF-8";
  }
  ScratchFolder folder;
  WriteBytes(folder.Path("doll.kavinel"), zip);
  EXPECT_EQ(std::system(("unzip -tq " + folder.Path("doll.kavinel") + " >/dev/null").c_str()), 0);
}

TEST(DollArchive, OnlyPicturesAreReadTheRestSkipped) {
  const std::vector<TDollPicture> pictures = Unpacked(Commented(
      Zip({Mimetype,
           {.Name = "Thumbnails/", .Attributes = 040755u << 16},
           {.Name = DollThumbnailName, .Data = Text("PNG")},  // unread, checked all the same
           {"notes.txt"},
           {"シェイプ02.bmp"},
           {"sub/テクスチャ.bmp"},
           Shape}),
      Text("hi")));
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_EQ(pictures[0].Name, Shape.Name);
  EXPECT_EQ(pictures[0].Bytes, Shape.Data);
}

// Archives made byte by byte, each with the reason it is refused for, or "nothing".
struct HostileRow {
  Bytes Archive;
  std::string Reason;
};

std::vector<HostileRow> HostileRows() {
  const auto named = [](const RawEntry& entry) { return Zip({Mimetype, entry}); };
  const Bytes valid = named(Shape);
  const Bytes alone = Zip({{"b", Text("x")}}), inner(alone.begin(), alone.begin() + 32);
  std::vector<RawEntry> many{Mimetype};
  while (many.size() <= DollFileMaxEntries) many.push_back({"f" + std::to_string(many.size())});
  const std::string s = Shape.Name;
  const RawEntry deflated = Deflated(s, Bytes(5000, 'x'));
  RawEntry trailed = deflated, understated = Zeros(s, 5000), cut = deflated;
  trailed.Data.push_back(0);             // after the stream's end, within the entry's length
  understated.Size = 10;                 // inflates to far more
  cut.Data.resize(cut.Data.size() / 2);  // the entry ends before its stream
  RawEntry thumbnail = Deflated(DollThumbnailName, Bytes(300, 'p')), signedCrc = deflated;
  thumbnail.Data.push_back(0);  // a stream that ends early, which a walker would follow
  signedCrc.Crc = 0x08074b50;   // a walker takes an unsigned descriptor for a signed one
  std::vector<HostileRow> rows = {
      {Zip({Shape}), "先頭の項目が mimetype ではありません"},
      {Zip({Shape, Mimetype}), "先頭の項目が mimetype ではありません"},
      {Zip({{.Name = "mimetype", .Data = Mimetype.Data, .Method = 8}}),
       "mimetype が無圧縮ではありません"},
      {Zip({{"mimetype", Text("application/zip")}}), "種類が \"application/zip\" です"},
      {named({"/etc/passwd"}), "\"/etc/passwd\" は絶対パスです"},
      {named({"a/../b"}), "\"a/../b\" に空、"},
      {named({"a/./b"}), "\"a/./b\" に空、"},
      {named({"a//b"}), "\"a//b\" に空、"},
      {named({std::string("a\0b", 3)}), "\"a\\x00b\" に NUL 文字があります"},
      {named({"a\x01z"}), "\"a\\x01z\" に制御文字があります"},
      {named({"a\\b"}), "\"a\\b\" に \\ があります"},
      {named({"a\xff"}), "\"a\\xff\" は UTF-8 ではありません"},
      {named({std::string(256, 'a')}), "は長すぎます (256 バイト"},
      {named({.Name = "link", .Attributes = 0120777u << 16}), "\"link\" はシンボリックリンクです"},
      {named({.Name = "fifo", .Attributes = 010644u << 16}),
       "\"fifo\" は通常のファイルではありません"},
      {named({.Name = "dos", .Attributes = 0x10}), "\"dos\" は通常のファイルではありません"},
      {named({.Name = "d/", .Attributes = 0100644u << 16}),
       "\"d/\" は通常のファイルではありません"},
      {named({.Name = "dir/", .Data = Text("x"), .Attributes = 040755u << 16}),
       "\"dir/\" に中身があります"},
      {Zip({Mimetype, Shape, Shape}), "\"シェイプ.bmp\" が二つあります"},
      {Zip({Mimetype, Shape, {"シェイプ.BMP"}}),
       "\"シェイプ.bmp\" と \"シェイプ.BMP\" は紛らわしい"},
      {Zip({Mimetype, {"text"}, {"ｔｅｘｔ"}}), "\"text\" と \"ｔｅｘｔ\" は紛らわしい"},
      {named({"シェイプ.BMP"}), "\"シェイプ.BMP\" は人形の絵 \"シェイプ.bmp\" と紛らわしい"},
      {named({"シェイフ\u309A.bmp"}), "人形の絵 \"シェイプ.bmp\" と紛らわしい"},
      {Patched(valid, [](Bytes& z) { z[Get32(z, Central(z, 1) + 42) + 14] ^= 1; }),
       "ローカルヘッダーが中央ディレクトリと食い違っています"},
      {Patched(Zip({Mimetype, {"a", inner}, {"b", Text("x")}}),  // b's header is a's data
               [](Bytes& z) { z[Central(z, 2) + 42] = z[Central(z, 1) + 42] + 31; }),
       "\"a\" と \"b\" が重なっています"},
      {Zip(many), "項目が多すぎます (65 個"},
      {Zip({many.begin(), many.end() - 1}), "nothing"},
      {named({.Name = s, .Data = Shape.Data, .Flags = 1}), "暗号化されています"},
      {named({.Name = s, .Data = Shape.Data, .Method = 12}), "圧縮方式 12 は使えません"},
      {Patched(valid, [](Bytes& z) { z[z.size() - 16] = 1; }), "複数のディスク"},
      {named({.Name = s, .Data = Shape.Data, .Crc = 1}), "\"シェイプ.bmp\" の CRC が合いません"},
      {named({.Name = s, .Data = Shape.Data, .Size = 9}), "\"シェイプ.bmp\" の長さが合いません"},
      {named({.Name = s, .Data = {0xFF, 0xFF}, .Method = 8}), "の圧縮データが壊れています"},
      {Bytes(valid.begin(), valid.begin() + valid.size() / 2), "途中で切れています"},
      {Text("GIF89a"), "ZIP 書庫ではありません"},
      {named(Zeros(s, DollFilePictureMaxBytes + 1)),
       "\"シェイプ.bmp\" が大きすぎます (上限は 100 MiB"},
      {Zip({Mimetype, Zeros(s, DollFilePictureMaxBytes), Zeros("テクスチャ.bmp", 100 << 20),
            Zeros("テクスチャ2.bmp", DollFilePictureMaxBytes)}),
       "展開すると大きすぎます (上限は 256 MiB"},
      // One reading only: a second end record, ZIP64, another name.
      {Commented(valid, Bytes(valid.begin() + Get32(valid, valid.size() - 6), valid.end())),
       "終わりのレコードが二つ以上あります"},
      {Commented(valid, Text("PK\5\6")), "終わりのレコードが二つ以上あります"},
      {Patched(valid, [](Bytes& z) { z[z.size() - 12] = 0xFF, z[z.size() - 11] = 0xFF; }),
       "ZIP64 の記録があります"},
      {HiddenInComment(valid, Record(Zip64Locator)), "ZIP64 の記録があります"},
      {named({.Name = s, .Data = Shape.Data, .Extra = {1, 0, 0, 0}}), "ZIP64 の記録があります"},
      {named({.Name = s, .Data = Shape.Data, .Extra = {0x75, 0x70, 1, 0, 'x'}}),
       "\"シェイプ.bmp\" に別の名前の拡張フィールドがあります"},
      {named({.Name = s, .Data = Shape.Data, .Extra = {0x55, 0x54, 9, 0}}),
       "\"シェイプ.bmp\" の拡張フィールドが壊れています"},
      // Every length and CRC of a deflated picture.
      {Patched(named(deflated), [](Bytes& z) { z[Get32(z, Central(z, 1) + 42) + 22] ^= 1; }),
       "ローカルヘッダーが中央ディレクトリと食い違っています"},
      {named(Described(deflated, 0)), "nothing"},
      {named(Described(deflated, 0, false)), "nothing"},  // 12 bytes, just before the directory
      {named(Described(deflated, 1)),
       "\"シェイプ.bmp\" のデータ記述子が中央ディレクトリと食い違っています"},
      {named(Described(deflated, 9)),
       "\"シェイプ.bmp\" のデータ記述子が中央ディレクトリと食い違っています"},
      {named(trailed), "\"シェイプ.bmp\" の長さが合いません"},
      {named(understated), "\"シェイプ.bmp\" の長さが合いません"},
      {named(cut), "\"シェイプ.bmp\" の長さが合いません"},
      // The documented layout.
      {Prefixed(valid, "#!/bin/sh\n"), "どの項目にも属さないバイトがあります"},
      {Patched(valid, [](Bytes& z) { z.insert(z.end() - 22, 0); }), "書庫が壊れています"},
      {Zip({Shape, Mimetype}, {1, 0}), "先頭の項目が mimetype ではありません"},
      {Zip({{.Name = "mimetype", .Data = Mimetype.Data, .Extra = {0x55, 0x54, 1, 0, 0}}}),
       "mimetype に拡張フィールドかデータ記述子があります"},
      {Zip({{.Name = "mimetype",
             .Data = Mimetype.Data,
             .LocalExtra = Field(0x5455, {1, 0, 0, 0, 0})}}),
       "mimetype に拡張フィールドかデータ記述子があります"},  // in its local header only
      {Zip({Described(Mimetype, 0)}), "無圧縮の項目 \"mimetype\" にデータ記述子があります"},
      // One end record, found one way: none hidden in a comment, an extra field or an entry.
      {HiddenInComment(valid, Record(EndRecord)), "終わりのレコードが二つ以上あります"},
      {HiddenInComment(valid, Record(Zip64End)), "ZIP64 の記録があります"},
      {named({.Name = s, .Data = Shape.Data, .Extra = Field(0x6666, Record(EndRecord))}),
       "終わりのレコードが二つ以上あります"},
      {named({.Name = DollThumbnailName, .Data = Record(Zip64End)}), "ZIP64 の記録があります"},
      {named({.Name = DollThumbnailName, .Data = Record(EndRecord)}),
       "終わりのレコードが二つ以上あります"},
      {named({.Name = DollThumbnailName,
              .Data = Patched(Record(EndRecord),
                              [](Bytes& r) {
                                r[19] =
                                    0xFF;  // its directory lies past the end: it parses as nothing
                              })}),
       "nothing"},
      // Every entry's data as a walker from the front reads it.
      {named(Described({.Name = "notes.txt", .Data = Described(Shape, 0).Descriptor}, 0)),
       "無圧縮の項目 \"notes.txt\" にデータ記述子があります"},
      {named(thumbnail), "\"Thumbnails/thumbnail.png\" の長さが合いません"},
      {named({.Name = "sheet1.bmp", .Data = Text("BM"), .Crc = 1}),
       "\"sheet1.bmp\" の CRC が合いません"},
      {named(Described(signedCrc, 0, false)), "のデータ記述子が中央ディレクトリと食い違っています"},
      // Attributes and names that say "file" to every tool.
      {named({.Name = s, .Data = Shape.Data, .Attributes = 04000u << 16, .MadeBy = 0x0114}),
       "\"シェイプ.bmp\" は通常のファイルではありません"},  // an Amiga folder
      {named({.Name = s, .Data = Shape.Data, .Attributes = 0x10, .MadeBy = 0x0A14}),
       "\"シェイプ.bmp\" は通常のファイルではありません"},  // an NTFS folder
      {named({.Name = s, .Data = Shape.Data, .LocalExtra = {'x', 'l', 0, 0}}),
       "拡張フィールド 0x6c78 (0 バイト) は使えません"},
      {named({.Name = s, .Data = Shape.Data, .Extra = Field(0x000d, Bytes(12))}),
       "拡張フィールド 0x000d (12 バイト) は使えません"},
      {named({.Name = s, .Data = Shape.Data, .Extra = Field(0x000a, {0, 0, 0, 0, 1, 0, 0, 0})}),
       "拡張フィールド 0x000a (8 バイト) は使えません"},  // NTFS times without their times
      {named({.Name = s, .Data = Shape.Data, .Extra = {0x55, 0x54, 0, 0}}),
       "拡張フィールド 0x5455 (0 バイト) は使えません"},
      {Zip({Mimetype, {"シェイプ.bmp/x"}, Shape}),
       "\"シェイプ.bmp/x\" は \"シェイプ.bmp\" をフォルダーとして使っています"},
      {named({.Name = s, .Data = Shape.Data, .MadeBy = 0x0014}), "の名前が MS-DOS の書き方です"},
      {named({.Name = s, .Data = Shape.Data, .Flags = 0x800, .MadeBy = 0x0614}),
       "の名前が MS-DOS の書き方です"},
      // Headers as plain as the format.
      {named({.Name = s, .Data = Shape.Data, .Flags = 0x20}), "のフラグ 0x20 は使えません"},
      {named({.Name = s, .Data = Shape.Data, .Needed = 46}), "は版 4.6 の ZIP を求めています"},
      {named({.Name = s, .Data = Shape.Data, .Needed = 45}), "nothing"},
      {Patched(valid, [](Bytes& z) { z[Central(z, 1) + 12] ^= 1; }),
       "ローカルヘッダーが中央ディレクトリと食い違っています"},
      // What ordinary writers emit.
      {named({.Name = s,
              .Data = Shape.Data,
              .Extra = Field(0x5455, {1, 0, 0, 0, 0}) + Field(0x7875, {1, 1, 0, 1, 0}) +
                       Field(0x000a, Bytes{0, 0, 0, 0, 1, 0, 24, 0} + Bytes(24))}),
       "nothing"},
      {named({.Name = s, .Data = Shape.Data, .Attributes = 0x20, .MadeBy = 0x0A14}), "nothing"},
      {named({.Name = s, .Data = Shape.Data, .Attributes = 0600u << 16}), "nothing"},
      {named({.Name = s,
              .Data = deflated.Data,
              .Method = 8,
              .Flags = 0x802,
              .Size = deflated.Size,
              .Crc = deflated.Crc}),
       "nothing"},
  };
  for (const std::uint16_t system : {2, 5, 16, 30})  // VMS, Atari, BeOS, AtheOS
    rows.push_back({named({.Name = s,
                           .Data = Shape.Data,
                           .Attributes = 0120777u << 16,
                           .MadeBy = static_cast<std::uint16_t>(system << 8 | 20)}),
                    "\"シェイプ.bmp\" はシンボリックリンクです"});
  return rows;
}

TEST(DollArchive, HostileArchivesAreRefused) {
  for (const HostileRow& row : HostileRows()) {
    std::string refusal = "nothing";
    try {
      Unpacked(row.Archive);
    } catch (const EDollFileError& error) {
      refusal = error.what();
    }
    if (row.Reason == "nothing") {
      EXPECT_EQ(refusal, "nothing");
      continue;
    }
    EXPECT_EQ(refusal.find("人形ファイル \"x.kavinel\" を開けません: "), 0u) << refusal;
    EXPECT_NE(refusal.find(row.Reason), std::string::npos) << row.Reason << " — " << refusal;
  }
}

// Common ZIP readers, each a shell command extracting the doll file "$1" into the folder "$2".
// Python reads a name written as UTF-8 without the flag as CP437 (the README says so): such
// a file is left to the others.
const std::pair<const char*, const char*> Extractors[] = {
    {"python3", R"(python3 -c 'import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
if all(i.flag_bits & 0x800 or i.filename.isascii() for i in z.infolist()): z.extractall(sys.argv[2])
else: open(sys.argv[2] + "/.skipped", "w")' "$1" "$2")"},
    {"unzip", R"(unzip -qq -o "$1" -d "$2")"},
    {"bsdtar", R"(bsdtar -xf "$1" -C "$2")"},
    {"bsdtar", R"(bsdtar -xf - -C "$2" < "$1")"},  // walking from the front, as from a pipe
    {"7z", R"(7z x -y -bd -o"$2" "$1" >/dev/null)"},
};

TFolder AsFolder(const std::vector<TDollPicture>& pictures) {
  TFolder folder;
  for (const TDollPicture& picture : pictures) folder[picture.Name] = picture.Bytes;
  return folder;
}

// Runs the shell command `command` on the arguments `arguments`, in a UTF-8 locale; its status.
int RunShell(const std::string& command, const std::string& arguments) {
  std::string quoted;
  for (const char c : command) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return std::system(("LC_ALL=C.UTF-8 sh -c '" + quoted + "' sh " + arguments).c_str());
}

// The pictures that `command` extracts from `file`: the files at the top of the folder with
// a picture's name; a link or a folder there reads "not a file", a failure "failed".
std::optional<TFolder> Extracted(const char* command, const std::string& file) {
  ScratchFolder into;
  if (RunShell(command, file + " " + into.Path("") + " 2>/dev/null") != 0)
    return TFolder{{"failed", {}}};
  if (std::filesystem::exists(into.Path(".skipped"))) return std::nullopt;
  TFolder pictures;
  for (const auto& entry : std::filesystem::directory_iterator(into.Path(""))) {
    const std::string name = entry.path().filename().string();
    if (LevelOfFile(name) == 0) continue;
    pictures[name] = entry.is_regular_file() && !entry.is_symlink() ? ReadBytes(entry.path())
                                                                    : Text("not a file");
  }
  return pictures;
}

// The pictures libzip, and so ziptool, reads from `file`.
TFolder LibzipPictures(const std::string& file) {
  int error = 0;
  zip_t* archive = zip_open(file.c_str(), ZIP_RDONLY, &error);
  if (!archive) return {{"failed", {}}};
  TFolder pictures;
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
    const std::string name = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
    if (LevelOfFile(name) == 0) continue;
    zip_file_t* entry = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
    Bytes& bytes = pictures[name] = Bytes(1 << 16);
    zip_int64_t got = 0;
    for (zip_int64_t read = 0; entry && (read = zip_fread(entry, bytes.data() + got, 1 << 16)) > 0;
         got += read)
      bytes.resize(got + read + (1 << 16));
    bytes.resize(entry && got >= 0 ? got : 0);
    if (entry) zip_fclose(entry);
  }
  zip_discard(archive);
  return pictures;
}

// Every installed reader extracts from the doll file `bytes` the pictures Kavinel reads.
void ExpectEveryReaderAgrees(const Bytes& bytes, const std::vector<TDollPicture>& kavinel,
                             const std::string& what) {
  ScratchFolder folder;
  WriteBytes(folder.Path("doll.kavinel"), bytes);
  EXPECT_EQ(LibzipPictures(folder.Path("doll.kavinel")), AsFolder(kavinel)) << what << ": libzip";
  for (const auto& [tool, command] : Extractors) {
    if (std::system(("command -v " + std::string(tool) + " >/dev/null").c_str()) != 0) continue;
    if (const auto pictures = Extracted(command, folder.Path("doll.kavinel"))) {
      EXPECT_EQ(*pictures, AsFolder(kavinel)) << what << ": " << command;
    }
  }
}

// Doll files of the sample's pictures as ordinary tools write them, from a folder that holds
// the pictures and "mimetype", and as Kavinel exports them: each opens byte for byte, and
// every reader reads it alike.
TEST(DollArchive, OrdinaryToolsWriteDollFilesEveryReaderReadsAlike) {
  const TFolder sample = FolderFiles(KAVINEL_SAMPLES);
  const std::pair<const char*, const char*> writers[] = {
      {"zip", R"(zip -q -0 -X "$1" mimetype && zip -q -X -r "$1" . -x mimetype)"},
      {"zip", R"(zip -q -0 -X "$1" mimetype && zip -q -r "$1" . -x mimetype)"},  // times, ids
      {"python3", R"(python3 -c 'import os, sys, zipfile
z = zipfile.ZipFile(sys.argv[1], "w")
z.write("mimetype")
for name in sorted(os.listdir(".")):
  if name != "mimetype": z.write(name, compress_type=zipfile.ZIP_DEFLATED)' "$1")"},
      {"ziptool", R"(set -- "$1" add_file mimetype mimetype 0 0 set_file_compression 0 store 0
for name in *.bmp; do set -- "$@" add_file "$name" "$name" 0 0; done
ziptool -n "$@")"},
      {"7z", R"(7z a -tzip -mx=0 -mtm=off -mtc=off -mta=off "$1" mimetype >/dev/null &&
7z a -tzip -mtm=off -mtc=off -mta=off "$1" *.bmp >/dev/null)"},
      {"kavinel", ""},
  };
  for (const auto& [tool, command] : writers) {
    ScratchFolder folder(true);
    for (const auto& [name, bytes] : sample) WriteBytes(name, bytes);
    Bytes file;
    if (*command == '\0') {
      file = DollFileOfFolder(folder.Path(""));
    } else {
      WriteBytes("mimetype", Text(DollFileType));
      ASSERT_EQ(RunShell(command, folder.Path("../" + std::string(tool) + ".kavinel")), 0)
          << command;
      file = ReadBytes(folder.Path("../" + std::string(tool) + ".kavinel"));
      std::filesystem::remove(folder.Path("../" + std::string(tool) + ".kavinel"));
    }
    std::vector<TDollPicture> pictures;
    EXPECT_NO_THROW(pictures = Unpacked(file)) << command;
    EXPECT_EQ(AsFolder(pictures), sample) << command;
    ExpectEveryReaderAgrees(file, pictures, command);
  }
}

// Wherever Kavinel opens a doll file, every reader extracts the same pictures: the hand-made
// archives it opens, and a few hundred seeded mutations of the sample doll file, most of them
// in its headers.
TEST(DollArchive, WhereKavinelOpensADollFileEveryReaderReadsTheSamePictures) {
  std::vector<std::pair<Bytes, std::string>> files;
  for (const HostileRow& row : HostileRows())
    if (row.Reason == "nothing") files.push_back({row.Archive, "a hand-made archive"});
  const Bytes sample = ReadBytes(std::string(KAVINEL_TEST_DATA) + "/sample.kavinel");
  const std::size_t entries = Get16(sample, sample.size() - 12);
  std::mt19937 random(36);
  for (int i = 0; i < 300; ++i) {
    Bytes mutated = sample;
    const std::size_t central = Central(sample, random() % entries),
                      local = Get32(sample, central + 42), field = 4 + random() % 26;
    // Half of them a value that means something in some field: a folder, a link, a flag.
    const std::uint8_t meaningful[] = {0, 1, 3, 8, 0x10, 0x20, 0x41, 0x80, 0xA1, 0xFF};
    const auto value = static_cast<std::uint8_t>(i % 2 ? random() : meaningful[random() % 10]);
    if (i % 3 == 0) {  // a byte anywhere
      mutated[random() % sample.size()] = value;
    } else if (i % 3 == 1) {  // a byte of a central entry
      mutated[central + random() % 46] = value;
    } else {  // the same byte of a local header and its central entry, as a tool would write it
      mutated[local + field] = mutated[central + 2 + field] = value;
    }
    files.push_back({mutated, "mutation " + std::to_string(i)});
  }
  int opened = 0;
  for (const auto& [file, what] : files) {
    std::vector<TDollPicture> pictures;
    try {
      pictures = Unpacked(file);
    } catch (const EDollFileError&) {
      continue;
    }
    ++opened;
    ExpectEveryReaderAgrees(file, pictures, what);
  }
  EXPECT_GT(opened, 10);
}

TEST(DollArchive, ReadsOnlyARegularFileWithinTheLimit) {
  ScratchFolder folder;
  const Bytes doll = Zip({Mimetype, Shape});
  WriteBytes(folder.Path("doll.kavinel"), doll);
  TDollFile file(folder.Path("doll.kavinel"));
  ASSERT_EQ(file.Pictures(), std::vector<std::string>{Shape.Name});
  EXPECT_EQ(Unpacked(doll)[0].Bytes, Shape.Data);
  std::filesystem::resize_file(folder.Path("doll.kavinel"), 40);  // it shrinks once opened
  try {
    file.OpenPicture(0)->Finish();
    ADD_FAILURE() << "a picture read past the file's end";
  } catch (const EDollFileError& error) {
    EXPECT_NE(std::string(error.what()).find("途中で切れています"), std::string::npos);
  }
  WriteBytes(folder.Path("cut.kavinel"), Bytes(doll.begin(), doll.end() - 1));
  std::filesystem::create_directory(folder.Path("folder.kavinel"));
  ASSERT_EQ(mkfifo(folder.Path("pipe.kavinel").c_str(), 0600), 0);
  for (const auto& [name, size] : {std::pair{"big.kavinel", DollFileMaxBytes + 1},
                                   std::pair{"zeros.kavinel", DollFileMaxBytes - 1}}) {
    WriteBytes(folder.Path(name), {});
    std::filesystem::resize_file(folder.Path(name), size);  // read only at its two ends
  }
  for (const auto& [name, reason] :
       std::map<std::string, std::string>{{"missing.kavinel", "No such file"},
                                          {"cut.kavinel", "途中で切れています"},
                                          {"folder.kavinel", "フォルダーです"},
                                          {"pipe.kavinel", "通常のファイルではありません"},
                                          {"big.kavinel", "大きすぎます (上限は 512 MiB です)"},
                                          {"zeros.kavinel", "ZIP 書庫ではありません"}}) {
    std::string refusal = "nothing";
    try {
      TDollFile{folder.Path(name)};
    } catch (const ETavoError& error) {
      refusal = error.what();
    }
    EXPECT_NE(refusal.find("\"" + folder.Path(name) + "\""), std::string::npos) << refusal;
    EXPECT_NE(refusal.find(reason), std::string::npos) << refusal;
  }
}

// The sample set as the first program to write doll files wrote it opens, picture for picture.
// Into a folder of its own: beside a plain file or a link under its name, neither replaced nor
// followed. A skin larger than the region the doll reads (top-down, 250 × 400) is copied whole,
// and its CRC checked over all of it: one that holds for the region alone refuses the file.
TEST(DollUnpack, ADollFileOpensByteForByte) {
  namespace fs = std::filesystem;
  const TFolder sample = FolderFiles(KAVINEL_SAMPLES);
  BmpParts tallParts;  // rows of 250 pixels, top first
  tallParts.Width = 250;
  tallParts.Height = -400;
  for (int y = 0; y < 400; ++y) tallParts.Rows.push_back(Bytes(750, static_cast<std::uint8_t>(y)));
  const Bytes tall = BuildBmp(tallParts);
  RawEntry regionCrc = Deflated(TextureFileName, tall);
  regionCrc.Crc = crc32(0, tall.data(), tall.size() / 2);
  const RawEntry shape{ShapeFileName, sample.at(ShapeFileName)};
  const TFolder tallDoll{{ShapeFileName, shape.Data}, {TextureFileName, tall}};
  const Bytes sampleFile = ReadBytes(std::string(KAVINEL_TEST_DATA) + "/sample.kavinel");
  const auto nothing = [](const fs::path&) {};
  const struct {
    Bytes File;
    std::function<void(const fs::path&)> Take;
    TFolder Pictures;  // none when refused
  } rows[] = {
      {sampleFile, nothing, sample},
      {sampleFile, [](const fs::path& taken) { WriteBytes(taken, {7}); }, sample},
      {sampleFile,
       [](const fs::path& taken) {
         fs::create_directory_symlink(taken.parent_path().parent_path(), taken);
       },
       sample},
      {Zip({Mimetype, shape, Deflated(TextureFileName, tall)}), nothing, tallDoll},
      {Zip({Mimetype, shape, regionCrc}), nothing, {}},
  };
  for (const auto& row : rows) {
    ScratchFolder parent;
    fs::create_directory(parent.Path("Kavinel"));
    WriteBytes(parent.Path("sample.kavinel"), row.File);
    row.Take(parent.Path("Kavinel/sample"));
    const auto before = fs::symlink_status(parent.Path("Kavinel/sample")).type();
    if (row.Pictures.empty()) {
      EXPECT_THROW(UnpackDollFile(parent.Path("sample.kavinel"), parent.Path("Kavinel")),
                   EDollFileError);
      EXPECT_TRUE(fs::is_empty(parent.Path("Kavinel")));
      continue;
    }
    const std::string folder =
        UnpackDollFile(parent.Path("sample.kavinel"), parent.Path("Kavinel"));
    EXPECT_EQ(folder, parent.Path(before == fs::file_type::not_found ? "Kavinel/sample"
                                                                     : "Kavinel/sample-2"));
    EXPECT_EQ(fs::symlink_status(parent.Path("Kavinel/sample")).type(),
              before == fs::file_type::not_found ? fs::file_type::directory : before);
    EXPECT_EQ(FolderFiles(folder), row.Pictures);
  }
}

// A start removes the temporary folder of an unpack whose owner has gone, and no other: not one
// still locked, one without a lock, a doll's folder, nor a folder behind a link.
TEST(DollUnpack, OnlyAnAbandonedUnpackIsRemoved) {
  ScratchFolder parent;
  for (const auto& [name, locked] : {std::pair{".kavinel-free", true},
                                     {".kavinel-held", true},
                                     {".kavinel-bare", false},
                                     {"doll", true}}) {
    std::filesystem::create_directory(parent.Path(name));
    WriteBytes(parent.Path(std::string(name) + "/シェイプ.bmp"), {1});
    if (locked) WriteBytes(parent.Path(std::string(name) + "/.kavinel-lock"), {});
  }
  std::filesystem::create_directory_symlink(parent.Path("doll"), parent.Path(".kavinel-link"));
  const int held = open(parent.Path(".kavinel-held/.kavinel-lock").c_str(), O_RDONLY);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  RemoveAbandonedUnpacks(parent.Path(""));
  close(held);
  EXPECT_FALSE(std::filesystem::exists(parent.Path(".kavinel-free")));
  for (const char* name : {".kavinel-held", ".kavinel-bare", "doll"})
    EXPECT_TRUE(std::filesystem::exists(parent.Path(std::string(name) + "/シェイプ.bmp"))) << name;
}

}  // namespace
