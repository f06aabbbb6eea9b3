// The command table, the frame's command rules and the focus hand-over with the depth tools.

#include "ProjectFixture.h"
#include "filters/zone/ZSaturationSettings.h"
#include "platform/framework/NavigationCommands.h"
#include "tools/DepthTools.h"

namespace {

struct Row {
  const char* id;
  const char* type;
  const char* commandClass;
  const char* category;
  const char* name;
};

// Registration order and identities, as the main frame registers them.
const Row kTable[] = {
    {"FXDE", "FOVX", "INTE", "FXCA", "Depth of field"},
    {"FXDH", "FOVX", "INTE", "FXCA", "Z Hue"},
    {"FXDF", "FOVX", "INTE", "FXCA", "Atmospheric perspective"},
    {"FXDL", "FOVX", "INTE", "FXCA", "Z Luminance"},
    {"FXDS", "FOVX", "INTE", "FXCA", "Z Saturation"},
    {"DOFX", "FOVO", "SIMP", "RDFX", "Render images"},
    {"DSFX", "FOVO", "SIMP", "RDFX", "Render and save images"},
    {"DNFX", "FOVO", "INTE", "RDFX", "Preview the selected area"},
    {"DEPP", "FOVO", "INTE", "FXTS", "Focus Point"},
    {"DEPI", "FOVO", "INTE", "FXTS", "Depth Of Field Interval Selection"},
    {"PWFX", "FOVO", "SIMP", "VWFX", "&Preview Effect"},
    {"VLSI", "FOVO", "SIMP", "VWFX", "View &Last Rendered Image"},
    {"VZBF", "FOVO", "SIMP", "VWFX", "View &Z-Buffer"},
    {"VALP", "FOVO", "SIMP", "VWFX", "View &Alpha Channel"},
};

uint32_t Code(const char* s) { return *FourCCFromString(s); }

}  // namespace

TEST_F(ProjectTest, TheFourteenCommandsAreRegisteredInTableOrder) {
  const CCommandMgr& manager = session.Frame().GetCommandManager();
  ASSERT_GE(manager.GetNumber(), 14);
  for (int i = 0; i < 14; ++i) {
    const Row& row = kTable[i];
    CQelCommand* command = manager.GetCommand(i);
    CommandIdentity expected{FourCC("BITM"), Code(row.type), Code(row.commandClass), Code(row.category), Code(row.id), 1};
    EXPECT_EQ(command->GetIdentity(), expected) << row.id;
    EXPECT_EQ(command->GetName(Language::English), row.name) << row.id;
    EXPECT_EQ(manager.GetCommandById(Code(row.id)), command);
  }
  // The navigation tools follow the program's own commands.
  EXPECT_NE(manager.GetCommandById(kZoomToolId), nullptr);
  EXPECT_NE(manager.GetCommandById(kMoveToolId), nullptr);
  // Filters describe themselves for the filter list.
  EXPECT_EQ(manager.GetCommand(4)->GetHelp(Language::English, kHelpDescription).substr(0, 38), "This filter changes the image's satura");
  EXPECT_EQ(manager.GetCommand(4)->GetHelp(Language::English, kHelpStatus), "Compute filter on the images");
  EXPECT_EQ(manager.GetCommand(9)->GetHelp(Language::English, kHelpStatus), "Define first depth of field limit point by clicking on image");
}

TEST_F(ProjectTest, ToolsWaitForAFilterAndTheLastMouseToolFollowsIt) {
  ApplicationFrame& frame = session.Frame();
  // Nothing current: a tool is refused, a filter is not.
  EXPECT_FALSE(frame.RunCommand(FourCC("DEPP"), kRunAsTool, 1));
  EXPECT_FALSE(frame.RunCommand(FourCC("VALP"), 0, 0));
  EXPECT_EQ(frame.GetLastMouseTool(), kZoomToolId);

  WriteSequence(dir.Path(), "tool", 1, 1, 4, ".tga", ".zpic", 32, 24);
  ASSERT_TRUE(NewProject(dir.File("tool0001.tga")));
  const CCommandMgr& manager = frame.GetCommandManager();
  // The filter is the base command and zoom runs beside it.
  EXPECT_EQ(manager.GetBaseCommand()->GetID(), FourCC("FXDS"));
  EXPECT_EQ(manager.GetCurrentCommand()->GetID(), kZoomToolId);

  ASSERT_TRUE(frame.RunCommand(FourCC("DNFX"), 0, 0));
  EXPECT_EQ(frame.GetLastMouseTool(), FourCC("DNFX"));
  ASSERT_TRUE(frame.RunCommand(kMoveToolId, 0, 0));
  EXPECT_EQ(frame.GetLastMouseTool(), kMoveToolId);

  // A depth tool that finishes hands back to the filter, and the last mouse tool returns.
  ASSERT_TRUE(frame.RunCommand(FourCC("DEPP"), kRunAsTool, 3));
  EXPECT_EQ(manager.GetCurrentCommand()->GetID(), FourCC("DEPP"));
  EXPECT_EQ(frame.GetLastMouseTool(), kMoveToolId);
  auto* picker = static_cast<DepthPickCommand*>(manager.GetCurrentCommand());
  ScenePoint nearPoint = PlanesScenePoint(32, 24, ScenePart::Near);
  picker->OnLButtonDown(nearPoint.x, nearPoint.y);
  EXPECT_EQ(manager.GetCurrentCommand()->GetID(), kMoveToolId);
  EXPECT_EQ(manager.GetBaseCommand()->GetID(), FourCC("FXDS"));
}

TEST_F(ProjectTest, AZoneFilterExchangesDepthsWithTheTools) {
  WriteSequence(dir.Path(), "zone", 1, 1, 4, ".tga", ".zpic", 40, 30);
  ASSERT_TRUE(NewProject(dir.File("zone0001.tga")));
  ApplicationFrame& frame = session.Frame();
  auto& zone = static_cast<ZSaturationSettings&>(Project().GetFilter()->GetCurrentSettings());
  session.Frame().SetModifiedFlag(false);

  // Interval: two clicks on the near disc and the far plane.
  ASSERT_TRUE(frame.RunCommand(FourCC("DEPI"), kRunAsTool, 0));
  auto* selector = static_cast<IntervalSelectCommand*>(frame.GetCommandManager().GetCurrentCommand());
  EXPECT_DOUBLE_EQ(selector->GetNearLimit(), zone.ZoneNear);  // handed over on the way in
  ScenePoint farPoint = PlanesScenePoint(40, 30, ScenePart::Far);
  ScenePoint nearPoint = PlanesScenePoint(40, 30, ScenePart::Near);
  selector->OnLButtonDown(farPoint.x, farPoint.y);
  selector->OnLButtonDown(nearPoint.x, nearPoint.y);
  EXPECT_FLOAT_EQ(zone.ZoneNear, 10.0f);
  EXPECT_FLOAT_EQ(zone.ZoneFar, 100.0f);
  EXPECT_LE(zone.ForegroundPoint, 10.0f);
  EXPECT_GE(zone.BackgroundPoint, 100.0f);
  // The edit reached the keyframe of the current frame and marked the project.
  auto* keyframe = static_cast<ZSaturationSettings*>(Project().Model().Track().GetAt(0));
  EXPECT_FLOAT_EQ(keyframe->ZoneFar, 100.0f);
  EXPECT_TRUE(frame.GetModifiedFlag());

  // Equal depths: the selector says so and nothing changes.
  ASSERT_TRUE(frame.RunCommand(FourCC("DEPI"), kRunAsTool, 0));
  selector = static_cast<IntervalSelectCommand*>(frame.GetCommandManager().GetCurrentCommand());
  selector->OnLButtonDown(farPoint.x, farPoint.y);
  selector->OnLButtonDown(farPoint.x + 1, farPoint.y);
  EXPECT_FLOAT_EQ(zone.ZoneNear, 10.0f);
  EXPECT_EQ(ui.EventsOfKind("info").back().text,
            "Chosen field limits are at the same depth value\nDepth of field is left unchanged.");

  // Foreground point: only depths nearer than the zone's near limit are taken.
  zone.ZoneNear = 40.0f;
  ASSERT_TRUE(frame.RunCommand(FourCC("DEPP"), kRunAsTool, 3));
  auto* picker = static_cast<DepthPickCommand*>(frame.GetCommandManager().GetCurrentCommand());
  EXPECT_DOUBLE_EQ(picker->GetReferenceDepth(), 40.0);
  EXPECT_EQ(Project().View().GetViewMode(), kViewGivenPicture);  // the forbidden zone is shown
  EXPECT_EQ(picker->SetCursor(farPoint.x, farPoint.y), kCursorNoPick);
  picker->OnLButtonDown(farPoint.x, farPoint.y);  // refused: stays open
  EXPECT_EQ(frame.GetCommandManager().GetCurrentCommand(), picker);
  picker->OnLButtonDown(nearPoint.x, nearPoint.y);
  EXPECT_FLOAT_EQ(zone.ForegroundPoint, 10.0f);
  EXPECT_EQ(Project().View().GetViewMode(), kViewImage);  // the view came back

  // A tool replaced by another command gives nothing back.
  ASSERT_TRUE(frame.RunCommand(FourCC("DEPP"), kRunAsTool, 2));
  ASSERT_TRUE(frame.RunCommand(kZoomToolId, 0, 0));
  EXPECT_FLOAT_EQ(zone.BackgroundPoint, keyframe->BackgroundPoint);
}

TEST_F(ProjectTest, TheForbiddenZonePictureMarksRefusedDepthsInRed) {
  auto image = MakeImage(3, 1, [](int, int) { return Rgb{10, 20, 30}; },
                         [](int x, int) { return std::array<float, 3>{9.5f, 10.0f, 10.5f}[size_t(x)]; });
  Project().SetCurrentImage(std::move(image));
  DepthPickCommand picker(Project());
  picker.OnOpenCommand(2);
  picker.SetReferenceDepth(10.0);
  auto picture = picker.MakeForbiddenZonePicture();
  const uint8_t* row = picture->GetLine(0);
  EXPECT_EQ((std::array<uint8_t, 3>{row[0], row[1], row[2]}), (std::array<uint8_t, 3>{255, 0, 0}));
  EXPECT_EQ(row[3], 10);  // at the reference: neither painted nor accepted
  EXPECT_EQ(picker.DepthAt(1, 0), 0.0);
  EXPECT_EQ(picker.DepthAt(2, 0), 10.5);
  EXPECT_EQ(picker.DepthAt(0, 0), 0.0);
  EXPECT_EQ(picker.DepthAt(5, 0), 0.0);  // outside the image
  picker.OnOpenCommand(0);  // mode 1: any depth but 0
  EXPECT_EQ(picker.DepthAt(0, 0), 9.5);
}
