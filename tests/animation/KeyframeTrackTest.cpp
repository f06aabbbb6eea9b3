#include <gtest/gtest.h>

#include "animation/KeyframeTrack.h"
#include "filters/atmosphere/AtmosphericPerspectiveSettings.h"
#include "filters/zone/ZHueSettings.h"
#include "filters/zone/ZSaturationSettings.h"
#include "platform/framework/Archive.h"
#include "platform/framework/CustomData.h"

namespace {

ZSaturationSettings Zone(float zoneFar) {
  ZSaturationSettings s;
  s.ZoneNear = 1.0f;
  s.ZoneFar = zoneFar;
  return s;
}

float ZoneFarAt(const KeyframeTrack& track, int frame) {
  ZSaturationSettings out;
  track.GetSettingsAt(out, frame, nullptr, nullptr);
  return out.ZoneFar;
}

std::vector<int> Frames(const KeyframeTrack& track) {
  std::vector<int> frames;
  for (int i = 0; i < track.GetCount(); ++i) frames.push_back(track.GetAt(i)->GetFrameNumber());
  return frames;
}

KeyframeTrack RoundTrip(KeyframeTrack& track) {
  CArchive out;
  track.Serialize(out);
  CArchive in(out.GetBytes());
  KeyframeTrack read;
  read.Serialize(in);
  EXPECT_EQ(in.Remaining(), 0u);
  return read;
}

}  // namespace

TEST(KeyframeTrack, InterpolationAtBetweenAndAfterKeyframes) {
  KeyframeTrack track;
  track.SetKeyframe(0, Zone(2.0f));
  track.SetKeyframe(10, Zone(4.0f));
  EXPECT_FLOAT_EQ(ZoneFarAt(track, 0), 2.0f);
  EXPECT_FLOAT_EQ(ZoneFarAt(track, 5), 3.0f);
  EXPECT_FLOAT_EQ(ZoneFarAt(track, 10), 4.0f);
  EXPECT_FLOAT_EQ(ZoneFarAt(track, 25), 4.0f);
  EXPECT_FLOAT_EQ(ZoneFarAt(track, 1), 2.2f);
}

TEST(KeyframeTrack, SettingKeyframesKeepsTheTrackSorted) {
  KeyframeTrack track;
  track.SetKeyframe(10, Zone(10));
  track.SetKeyframe(0, Zone(0));
  track.SetKeyframe(5, Zone(5));
  EXPECT_EQ(Frames(track), (std::vector<int>{0, 5, 10}));
  track.SetKeyframe(7, Zone(7));
  EXPECT_EQ(Frames(track), (std::vector<int>{0, 5, 7, 10}));
  EXPECT_EQ(track.FindKeyframe(7), 2);

  // An existing keyframe keeps its object and takes the new values.
  KeyframeSettings* before = track.GetAt(2);
  track.SetKeyframe(7, Zone(70));
  EXPECT_EQ(track.GetCount(), 4);
  EXPECT_EQ(track.GetAt(2), before);
  EXPECT_FLOAT_EQ(ZoneFarAt(track, 7), 70.0f);

  EXPECT_EQ(track.IndexAtOrBefore(6), 1);
  EXPECT_EQ(track.IndexAtOrBefore(99), 3);
  EXPECT_EQ(track.IndexAtOrAfter(6), 2);
  EXPECT_EQ(track.IndexAtOrAfter(11), -1);
  EXPECT_EQ(track.FindKeyframe(6), -1);

  track.RemoveKeyframe(6);  // not a keyframe: nothing happens
  EXPECT_EQ(track.GetCount(), 4);
  track.RemoveKeyframe(5);
  EXPECT_EQ(Frames(track), (std::vector<int>{0, 7, 10}));
}

TEST(KeyframeTrack, ArchiveRoundTripKeepsFramesTypesAndHeader) {
  KeyframeTrack track;
  track.SetKeyframe(0, Zone(2.0f));
  track.SetKeyframe(3, Zone(3.0f));
  track.SetKeyframe(1234567, Zone(9.0f));  // frame numbers far above 1 survive the Bool entry
  track.SetCurrentFrame(3);
  track.SetMode(kSequenceMode);

  KeyframeTrack read = RoundTrip(track);
  EXPECT_EQ(Frames(read), (std::vector<int>{0, 3, 1234567}));
  EXPECT_EQ(read.GetAt(2)->GetTypeCode(), ZSaturationSettings::kTypeCode);
  EXPECT_EQ(read.GetCurrentFrame(), 3);
  EXPECT_EQ(read.GetMode(), kSequenceMode);
  EXPECT_FLOAT_EQ(ZoneFarAt(read, 1234567), 9.0f);

  // Each filter's settings come back as their own type.
  KeyframeTrack fog;
  AtmosphericPerspectiveSettings s;
  s.Colour = CRGBColor(1, 2, 3, 4);
  fog.SetKeyframe(0, s);
  KeyframeTrack fogRead = RoundTrip(fog);
  ASSERT_EQ(fogRead.GetCount(), 1);
  EXPECT_EQ(static_cast<AtmosphericPerspectiveSettings*>(fogRead.GetAt(0))->Colour, CRGBColor(1, 2, 3, 4));
}

TEST(KeyframeTrack, UnknownTypeCodesAreSkippedAndMissingModeReadsAsSingleImage) {
  // A header without 'KFMD', a stray unknown code, then one keyframe.
  CArchive out;
  CCustomData header;
  header.SetInt(FourCC("KFNB"), 1);
  header.Serialize(out);
  out.WriteU32(FourCC("JUNK"));
  ZSaturationSettings s = Zone(5.0f);
  s.SetFrameNumber(4);
  out.WriteU32(s.GetTypeCode());
  s.Serialize(out);

  CArchive in(out.GetBytes());
  KeyframeTrack read;
  read.SetMode(kSequenceMode);
  read.Serialize(in);
  EXPECT_EQ(Frames(read), std::vector<int>{4});
  EXPECT_EQ(read.GetMode(), kSingleImageMode);
  EXPECT_EQ(read.GetCurrentFrame(), 0);

  // A count the bytes cannot hold is an archive error, not a long loop.
  CArchive lying;
  header.SetInt(FourCC("KFNB"), 1000000);
  header.Serialize(lying);
  CArchive lyingIn(lying.GetBytes());
  EXPECT_THROW(read.Serialize(lyingIn), ArchiveError);
}

TEST(KeyframeTrack, ExtremeFrameNumbersFromAFileBlendWithoutOverflow) {
  // Keyframes as far apart as a file can place them; their difference does not fit an int.
  KeyframeTrack track;
  track.SetKeyframe(INT32_MIN, Zone(2.0f));
  track.SetKeyframe(INT32_MAX, Zone(4.0f));
  EXPECT_NEAR(ZoneFarAt(track, 0), 3.0f, 1e-6);
  EXPECT_FLOAT_EQ(ZoneFarAt(track, INT32_MAX), 4.0f);
  EXPECT_FLOAT_EQ(ZoneFarAt(track, INT32_MIN), 2.0f);
}

TEST(KeyframeTrack, AColourKeptOnTwoKeyframesStaysTheSameBetweenThem) {
  for (uint32_t value : {0x00FFFFFFu, 0x00C86432u, 0x00010203u}) {
    KeyframeTrack track;
    ZHueSettings hue;
    hue.Colour = CRGBColor::FromValue(value);
    AtmosphericPerspectiveSettings fog;
    fog.Colour = CRGBColor::FromValue(value);
    track.SetKeyframe(0, hue);
    track.SetKeyframe(10, hue);
    KeyframeTrack fogTrack;
    fogTrack.SetKeyframe(0, fog);
    fogTrack.SetKeyframe(10, fog);
    for (int frame = 0; frame <= 10; ++frame) {
      ZHueSettings hueOut;
      track.GetSettingsAt(hueOut, frame, nullptr, nullptr);
      EXPECT_EQ(hueOut.Colour.ToValue(), value) << frame;
      AtmosphericPerspectiveSettings fogOut;
      fogTrack.GetSettingsAt(fogOut, frame, nullptr, nullptr);
      EXPECT_EQ(fogOut.Colour.ToValue(), value) << frame;
    }
  }
  // Between two colours each channel is blended and truncated once: 0 to 255 at 0.3 is 76.
  KeyframeTrack track;
  ZHueSettings black;
  black.Colour = CRGBColor(0, 0, 0);
  ZHueSettings white;
  white.Colour = CRGBColor(255, 255, 255);
  track.SetKeyframe(0, black);
  track.SetKeyframe(10, white);
  ZHueSettings out;
  track.GetSettingsAt(out, 3, nullptr, nullptr);
  EXPECT_EQ(out.Colour, CRGBColor(76, 76, 76));
}
