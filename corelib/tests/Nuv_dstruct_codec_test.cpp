#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nuv/Nuv_dstruct.h"
#include "nuv/platform/Random.h"

namespace nuv {
namespace {

using TByteVec = std::vector<uint8_t>;

std::string Show(const TByteVec& v) {
  std::string s;
  for (const uint8_t b : v) s += std::to_string(b) + ",";
  return s;
}

// Everything the coder hands out: full blocks while they wait, then Finish
// until it returns a short block.
TByteVec Drain(TRLEncoder& rl) {
  TByteVec out;
  TByteVec block(static_cast<std::size_t>(rl.BufLeng()));
  while (rl.GetResult(block.data())) out.insert(out.end(), block.begin(), block.end());
  for (;;) {
    const int32_t n = rl.Finish(block.data());
    out.insert(out.end(), block.begin(), block.begin() + n);
    if (n < rl.BufLeng()) return out;
  }
}

TByteVec Encode(const TByteVec& data, int32_t bufLeng, std::size_t chunk) {
  TRLEncoder rl(nullptr);
  rl.SetBufLeng(bufLeng);
  TByteVec out;
  TByteVec block(static_cast<std::size_t>(bufLeng));
  for (std::size_t i = 0; i < data.size(); i += chunk) {
    const auto n = static_cast<int32_t>(std::min(chunk, data.size() - i));
    if (rl.Encode(data.data() + i, n))
      while (rl.GetResult(block.data())) out.insert(out.end(), block.begin(), block.end());
  }
  const TByteVec rest = Drain(rl);
  out.insert(out.end(), rest.begin(), rest.end());
  return out;
}

TByteVec Decode(const TByteVec& coded, int32_t bufLeng, TDecodeSt* endState = nullptr) {
  TRLEncoder rl(nullptr);
  rl.SetBufLeng(bufLeng);
  TByteVec out;
  TByteVec block(static_cast<std::size_t>(bufLeng));
  for (const uint8_t b : coded)
    if (rl.Decode(b))
      while (rl.GetResult(block.data())) out.insert(out.end(), block.begin(), block.end());
  if (endState) *endState = rl.DecodeState();
  const TByteVec rest = Drain(rl);
  out.insert(out.end(), rest.begin(), rest.end());
  return out;
}

TEST(RLEncoder, CodesRunsAsTheFormatDefines) {
  const TByteVec r255(255, 7), r256(256, 7);
  TByteVec want255{165, 255, 7, 165, 0, 7}, want256{165, 255, 7, 165, 1, 7};
  const struct {
    const char* what;
    TByteVec in, want;
  } cases[] = {
      {"four then one", {1, 1, 1, 1, 2}, {165, 4, 1, 165, 1, 2}},
      {"escape byte", {165}, {165, 1, 165}},
      {"single", {5, 6}, {5, 165, 1, 6}},
      {"double", {5, 5, 6}, {5, 5, 165, 1, 6}},
      {"triple", {5, 5, 5, 6}, {165, 3, 5, 165, 1, 6}},
      {"escape inside", {6, 165, 6}, {6, 165, 1, 165, 165, 1, 6}},
      {"zero first", {0, 0, 9}, {0, 0, 165, 1, 9}},
      {"run of 255", r255, want255},
      {"run of 256", r256, want256},
      {"nothing", {}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Show(Encode(c.in, 256, 1000)), Show(c.want)) << c.what;
}

TEST(RLEncoder, RoundTripsWithAnyBlockSizeAndFeedSize) {
  TByteVec data;
  RandSeed = 4711;
  for (int i = 0; i < 20000; ++i) {
    const auto v = static_cast<uint8_t>(Random(4) == 0 ? 165 : Random(256));
    const int run = Random(5) == 0 ? Random(600) : 1;
    data.insert(data.end(), static_cast<std::size_t>(run), v);
  }
  const struct {
    int32_t bufLeng;
    std::size_t chunk;
  } cases[] = {{1, 1}, {3, 7}, {63, 100000000}, {256, 1000}, {4096, 1}};
  for (const auto& c : cases) {
    const TByteVec coded = Encode(data, c.bufLeng, c.chunk);
    EXPECT_TRUE(coded == Encode(data, 256, 1000)) << "block size changes the code, bufLeng=" << c.bufLeng;
    EXPECT_TRUE(Decode(coded, c.bufLeng) == data) << "bufLeng=" << c.bufLeng << " chunk=" << c.chunk;
  }
}

TEST(RLEncoder, BlockSizeLimitsAndFinishOnce) {
  TRLEncoder rl(nullptr);
  rl.SetName("RL");
  rl.SetBufLeng(0);
  rl.SetBufLeng(-5);
  EXPECT_EQ(rl.BufLeng(), 256) << "a block needs at least one byte";
  try {
    rl.SetBufLeng(1 << 30);
    FAIL() << "no exception";
  } catch (const ENUVDStructError& e) {
    EXPECT_EQ(e.Message(), "Component \"RL\": not enough memory on heap");
  }
  rl.SetBufLeng(2);
  const uint8_t four[] = {1, 1, 1, 1};
  EXPECT_FALSE(rl.Encode(four, 4));
  uint8_t buf[2] = {};
  EXPECT_FALSE(rl.GetResult(buf)) << "nothing coded yet";
  EXPECT_EQ(rl.Finish(buf), 2);
  EXPECT_EQ(rl.Finish(buf), 1) << "second call hands out the rest without a new run";
  EXPECT_EQ(buf[0], 1);
  EXPECT_EQ(rl.Finish(buf), 0);
}

TEST(RLEncoder, TruncatedCodeShowsInDecoderState) {
  const struct {
    TByteVec coded;
    TDecodeSt state;
    TByteVec data;
  } cases[] = {
      {{9, 165}, rlLeadin, {9}},
      {{9, 165, 4}, rlCnt, {9}},
      {{9, 165, 4, 2}, rlData, {9, 2, 2, 2, 2}},
      {{165, 0, 3, 8}, rlData, {8}},
  };
  for (const auto& c : cases) {
    TDecodeSt state = rlData;
    EXPECT_EQ(Show(Decode(c.coded, 3, &state)), Show(c.data)) << Show(c.coded);
    EXPECT_EQ(state, c.state) << Show(c.coded);
  }
  TRLEncoder rl(nullptr);
  rl.Decode(165);
  rl.Reset();
  EXPECT_EQ(rl.DecodeState(), rlData);
}

// ---------------------------------------------------------------------------
// ASCII85

std::string EncodeA85(const std::string& data) {
  TStringStream src(data), dst;
  EncodeASCII85(src, dst);
  return dst.DataString();
}

int32_t DecodeA85(const std::string& text, std::string& data) {
  TStringStream src(text), dst;
  const int32_t result = DecodeASCII85(src, dst);
  data = dst.DataString();
  return result;
}

TEST(ASCII85, EncodesGroupsZerosAndShortTails) {
  using namespace std::string_literals;
  const struct {
    std::string in, want;
  } cases[] = {
      {""s, "~>"},
      {"\0\0\0\0"s, "z~>"},
      {"\0\0\0\0\0"s, "z!!~>"},
      {"\0\0\0"s, "!!!!~>"},
      {"\xFF\xFF\xFF\xFF"s, "s8W-!~>"},
      {"Man "s, "9jqo^~>"},
      {"M"s, "!n~>"},
      {"\xFF"s, "$!~>"},
      {"Man \0\0\0\0sure"s, "9jqo^zF*2M7~>"},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeA85(c.in), c.want) << "in=" << c.in;
}

TEST(ASCII85, RoundTripsEveryLengthAndLineBreaks) {
  RandSeed = 99;
  for (std::size_t len = 0; len <= 70000; len = len < 40 ? len + 1 : len * 3) {
    std::string data(len, '\0');
    for (std::size_t i = 0; i < len; ++i)
      data[i] = static_cast<char>(i % 9 < 5 ? 0 : (i % 9 == 5 ? 255 : Random(256)));
    const std::string text = EncodeA85(data);
    std::string back;
    EXPECT_EQ(DecodeA85(text, back), a85Ok) << "len=" << len;
    EXPECT_TRUE(back == data) << "len=" << len;
    std::string broken;
    for (std::size_t i = 0; i < text.size(); ++i) broken += (i % 7 == 3 ? "\r\n" : "") + text.substr(i, 1);
    EXPECT_EQ(DecodeA85(broken, back), a85Ok) << "len=" << len;
    EXPECT_TRUE(back == data) << "with line breaks, len=" << len;
  }
}

TEST(ASCII85, MalformedInputGivesResultCodes) {
  const struct {
    const char* text;
    int32_t result;
    std::size_t bytesBefore;
  } cases[] = {
      {"9jqo^ab c~>", a85BadChar, 4},
      {"9jqo^!!z!!~>", a85ZInGroup, 4},
      {"uuuuu~>", a85GroupTooLarge, 0},
      {"s8W-\"~>", a85GroupTooLarge, 0},
      {"9jqo^uu~>", a85GroupTooLarge, 4},
      {"9jqo^!~>", a85LoneChar, 4},
      {"9jqo^!", a85LoneChar, 4},
      {"zz", a85Ok, 8},
      {"9jqo", a85Ok, 3},
      {"", a85Ok, 0},
  };
  for (const auto& c : cases) {
    std::string data;
    EXPECT_EQ(DecodeA85(c.text, data), c.result) << c.text;
    EXPECT_EQ(data.size(), c.bytesBefore) << c.text;
  }
}

TEST(ASCII85, DecoderStopsRightBehindTheTilde) {
  TStringStream src("!n~>tail"), dst;
  EXPECT_EQ(DecodeASCII85(src, dst), a85Ok);
  EXPECT_EQ(dst.DataString(), "M");
  EXPECT_EQ(src.Position(), 3);
}

}  // namespace
}  // namespace nuv
