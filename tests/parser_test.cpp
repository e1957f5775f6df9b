#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "parase_message.h"
#include "world_model.h"

namespace {

std::string ReadCorpus(const std::string& name) {
  std::ifstream file(std::string(VEXA_TEST_DATA_DIR) + "/" + name);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

class ParserTest : public ::testing::Test {
 protected:
  void SetUp() override { wm::reset(); }
  void Load(std::string text) { parser.Get_Info(text.data()); }
  void Parse(std::string text) {
    Load(text);
    parser.Par_Info();
  }
  Parase parser;
};

void ExpectPolar(const Polar& p, double distance, double horizontal, double vertical) {
  EXPECT_DOUBLE_EQ(p.pol_distance, distance);
  EXPECT_DOUBLE_EQ(p.pal_angle, horizontal);
  EXPECT_DOUBLE_EQ(p.ver_angle, vertical);
  EXPECT_EQ(p.pal_distance + p.ver_distance + p.pol_angle, 0);
}

TEST_F(ParserTest, GetDoubleTakesEachRunOfNumberCharactersInTurn) {
  Load("(a -12.5:7) 1.5e-03 (t 12:34) 123456789012345678901234.5 8");
  for (double expected : {-12.5, 1.5, -3.0, 12.0, 1234567890123456789.0, 8.0, 0.0}) {
    EXPECT_EQ(parser.Get_Double(), expected);
  }
  EXPECT_TRUE(parser.no_dig());
}

TEST_F(ParserTest, GetDoubleNeverReadsPastTheEndOfTheText) {
  Load("(t 1.25) 7");
  Load("ab");  // the old text still lies in the buffer behind the terminator
  EXPECT_EQ(parser.Get_Double(), 0);
  EXPECT_EQ(parser.Get_Double(), 0);
  EXPECT_FALSE(parser.Is_Same(std::string(1, '\0') + "1.25"));
}

TEST(ParaseNumbers, ConversionIsBitForBitThatOfStrtod) {
  std::mt19937 random(7);
  const std::string alphabet = "0123456789012345678901234567890123456789.-:";
  for (int batch = 0; batch < 40; ++batch) {
    // Long mantissas that a plain quotient would round twice, and texts with no digit.
    std::vector<std::string> numbers = {"618.227913935318852", "134.097611071195715", "-0", "-."};
    numbers.resize(500);
    std::string message;
    for (std::string& number : numbers) {
      if (number.empty()) number.resize(1 + random() % 19);
      for (char& c : number) c = c ? c : alphabet[random() % alphabet.size()];
      message += number + " ";
    }
    Parase parser;
    parser.Get_Info(message.data());
    for (const std::string& number : numbers) {
      const double parsed = parser.Get_Double();
      const double expected = std::strtod(number.c_str(), nullptr);
      ASSERT_EQ(std::memcmp(&parsed, &expected, sizeof parsed), 0) << number;
    }
  }
}

TEST_F(ParserTest, CopyIsBoundedByTheBufferAndTerminated) {
  const std::string tag = "(time (now 5.00))";
  Parse(std::string(kMaxMessageLength - tag.size(), ' ') + tag);
  EXPECT_EQ(wm::Sim_Time, 5.0f);
  // The limit falls between the 7 and the 5.
  Parse(std::string(kMaxMessageLength - 12, ' ') + "(time (now 75.00))");
  EXPECT_EQ(wm::Sim_Time, 7.0f);
}

TEST_F(ParserTest, EveryKeywordOfAFullMessageLandsInItsVariable) {
  Parse(ReadCorpus("full_view_six_players.txt"));
  EXPECT_EQ(wm::Sim_Time, 131.06f);
  EXPECT_EQ(wm::Gam_Time, 124.26f);
  EXPECT_EQ(wm::pm, PM_PLAY_ON);  // "Hampmton" later in the text is no play mode
  EXPECT_EQ(std::vector<double>({wm::gyr.x, wm::gyr.y, wm::gyr.z}),
            std::vector<double>({0.52, -0.31, 2.04}));
  ExpectPolar(wm::pol_g1l, 7.36, 143.23, 2.72);
  ExpectPolar(wm::pol_g2l, 7.21, 154.20, 2.78);
  ExpectPolar(wm::pol_g1r, 5.04, -7.65, 3.98);
  ExpectPolar(wm::pol_g2r, 4.81, -23.81, 4.17);
  ExpectPolar(wm::pol_f1l, 8.96, 121.31, -2.98);
  ExpectPolar(wm::pol_f2l, 8.19, 178.96, -3.27);
  ExpectPolar(wm::pol_f1r, 7.10, 20.00, -3.79);
  ExpectPolar(wm::pol_f2r, 6.08, -58.69, -4.46);
  ExpectPolar(wm::pol_ball, 1.54, 17.27, -15.42);
  const FRP& l = wm::lfrp;
  const FRP& r = wm::rfrp;
  EXPECT_EQ(std::vector<double>({l.c_x, l.c_y, l.c_z, l.f_x, l.f_y, l.f_z}),
            std::vector<double>({0.01, -0.02, 0, 0.03, -0.05, 22.41}));
  EXPECT_EQ(std::vector<double>({r.c_x, r.c_y, r.c_z, r.f_x, r.f_y, r.f_z}),
            std::vector<double>({-0.01, 0.02, 0, -0.02, 0.04, 22.57}));
}

TEST_F(ParserTest, EveryJointLandsInItsOwnAngle) {
  // In the order of JointId, so that joint k receives the value k + 1.
  const char* names[] = {"laj1", "raj1", "laj2", "raj2", "laj3", "raj3", "laj4", "raj4",
                         "llj1", "rlj1", "llj2", "rlj2", "llj3", "rlj3", "llj4", "rlj4",
                         "llj5", "rlj5", "llj6", "rlj6", "hj1",  "hj2"};
  std::string message;
  for (int k = 0; k < static_cast<int>(JointId::count); ++k) {
    message += std::string("(HJ (n ") + names[k] + ") (ax " + std::to_string(k + 1) + ".00))";
  }
  Parse(message);
  for (int k = 0; k < static_cast<int>(JointId::count); ++k) {
    EXPECT_EQ(wm::agent.get_cur_ang(static_cast<JointId>(k)), k + 1) << names[k];
  }
}

TEST_F(ParserTest, ExtraSkipsFollowTheServersLayout) {
  wm::pm = PM_PLAY_ON;
  Parse("(time (now 12.34))(GS (t 0.00) (pm BeforeKickOff))");
  EXPECT_EQ(wm::Sim_Time, 12.34f);
  EXPECT_EQ(wm::Gam_Time, 0.0f);
  EXPECT_EQ(wm::pm, PM_BEFORE_KICK_OFF);
  Parse("(HJ (n hj1) (ax -1.00))(HJ (n hj2) (ax 2.00))(GYR (n torso) (rt 1 2 3))(HJ (n raj1) 4)");
  EXPECT_EQ(wm::agent.get_cur_ang_head1(), -1);
  EXPECT_EQ(wm::agent.get_cur_ang_head2(), 2);
  EXPECT_EQ(wm::gyr.z, 3);
  EXPECT_EQ(wm::agent.get_cur_ang_rae1(), 4);
  // What lies within a skip is never tested.
  Parse("hj1 1.0 raj1 2.0");
  EXPECT_EQ(wm::agent.get_cur_ang_rae1(), 4);
  Parse("hj1 1.0          raj1 2.0");
  EXPECT_EQ(wm::agent.get_cur_ang_rae1(), 2);
}

TEST_F(ParserTest, BallDistanceOverTheGroundIsNeverNaN) {
  Parse("(B (pol 5.00 0 0))");
  EXPECT_EQ(wm::dis_to_ball, powf(24.9375f, 0.5f));
  for (const char* close : {"(B (pol 0.20 0 0))", "(B (pol 0.25 0 0))", "(B (pol 0.00 0 0))"}) {
    wm::dis_to_ball = 9;
    Parse(close);
    EXPECT_EQ(wm::dis_to_ball, 0) << close;
  }
  wm::dis_to_ball = 9;
  Parse("(See (F1L (pol 1 2 3)))");
  EXPECT_EQ(wm::dis_to_ball, 9);
}

TEST_F(ParserTest, PlayModeNamesWithBothSides) {
  // clang-format off
  const struct {
    const char* name;
    PlayModeT side_left, side_right;
  } cases[] = {
      {"PlayOn", PM_PLAY_ON, PM_PLAY_ON},             {"PlayOnward", PM_PLAY_ON, PM_PLAY_ON},
      {"KickOff_Left", PM_KICK_OFF_LEFT, PM_KICK_OFF_RIGHT},
      {"KickOff_Right", PM_KICK_OFF_RIGHT, PM_KICK_OFF_LEFT},
      {"BeforeKickOff", PM_BEFORE_KICK_OFF, PM_BEFORE_KICK_OFF},
      {"free_kick_left", PM_FREE_KICK_LEFT, PM_FREE_KICK_LEFT},
      {"free_kick_right", PM_FREE_KICK_RIGHT, PM_FREE_KICK_RIGHT},
      {"Goal_Left", PM_GOAL_LEFT, PM_GOAL_LEFT},      {"Goal_Right", PM_GOAL_RIGHT, PM_GOAL_RIGHT},
      {"KickIn_Left", PM_ILLEGAL, PM_ILLEGAL},        {"quit", PM_ILLEGAL, PM_ILLEGAL},
      {"playon", PM_ILLEGAL, PM_ILLEGAL},             {" PlayOn", PM_ILLEGAL, PM_ILLEGAL}};
  // clang-format on
  wm::Sim_Cycle = 50;  // keeps the side as set here
  for (const auto& c : cases) {
    for (bool left : {true, false}) {
      wm::is_side_left = left;
      Parse(std::string("(GS (t 1.00) (pm ") + c.name + "))");
      EXPECT_EQ(wm::pm, left ? c.side_left : c.side_right) << c.name << " left " << left;
    }
  }
}

TEST_F(ParserTest, PmCountsOnlyWhereItOpensATagAndNeverReadsPastTheEnd) {
  Parse("(GS (t 1.00) (pm PlayOn))(P (team Hampmton) (id 2) (pol 5 6 7))");
  EXPECT_EQ(wm::pm, PM_PLAY_ON);
  Parse("(GS (t 1.00) (pm");  // "PlayOn" of the message before lies past the end
  EXPECT_EQ(wm::pm, PM_ILLEGAL);
  Parse("(GS (unum 1) (team left) (t 0.00) (pm PlayOn))");  // the team tag ends at its ')'
  EXPECT_EQ(wm::pm, PM_PLAY_ON);
}

// A parser right behind a "(" in memory: the byte before its text is not
// part of the text and must never be taken for the "(" that opens a tag.
struct ParserBehindAParenthesis {
  char before[alignof(Parase)];
  Parase parser;
};
static_assert(offsetof(ParserBehindAParenthesis, parser) == alignof(Parase));

TEST_F(ParserTest, ATagsNameAtTheVeryStartOfTheTextOpensNoTag) {
  const auto behind = std::make_unique<ParserBehindAParenthesis>();
  std::memset(behind->before, '(', sizeof behind->before);
  for (std::string start : {"pm Goal_Left", "team", "hear"}) {
    wm::reset();
    std::string text = start + " (HJ (n laj1) (ax 3.00))";
    behind->parser.Get_Info(text.data());
    behind->parser.Par_Info();
    EXPECT_EQ(wm::pm, PM_BEFORE_KICK_OFF) << start;
    EXPECT_EQ(wm::agent.get_cur_ang_lae1(), 3) << start;
  }
}

TEST_F(ParserTest, TeamNamesAndSaidWordsAreNeverReadAsKeywords) {
  // "Wolf)" ends like the left foot's keyword "lf)".
  Parse("(GS (t 0.00) (pm PlayOn))(See (P (team Wolf) (id 5) (pol 3.12 20.51 -6.20)))");
  EXPECT_EQ(wm::lfrp_count, 0);
  EXPECT_EQ(wm::lfrp_0_count, 1);
  // Its six reads would have run on into the joint that follows.
  Parse("(GS (t 0.00) (pm PlayOn))(See (P (team Wolf) (id 5) (llowerarm (pol 3.10 58.70 "
        "-6.20))))(HJ (n raj1) (ax -83.17))");
  EXPECT_EQ(wm::agent.get_cur_ang_rae1(), -83.17);
  EXPECT_EQ(wm::lfrp.f_z, 0);
  Parse("(GS (t 0.00) (pm PlayOn))(HJ (n raj1) (ax -83.17))(hear 0.00 self raj1)");
  EXPECT_EQ(wm::agent.get_cur_ang_rae1(), -83.17);
  Parse("(hear 1.00 12.5 (nested (pm Goal_Left)) F1L) (HJ (n raj2) (ax 4.00))");
  EXPECT_EQ(wm::pm, PM_PLAY_ON);
  EXPECT_EQ(wm::agent.get_cur_ang_rae2(), 4);
  // Only as a tag's name: "hear" and "team" elsewhere are plain text.
  Parse("(HJ (n laj1) (ax 3.00)) team hear (HJ (n laj2) (ax 5.00))");
  EXPECT_EQ(wm::agent.get_cur_ang_lae2(), 5);
}

TEST_F(ParserTest, AHeardFlagNameCannotMoveTheRobotToTheOtherHalf) {
  const std::string right_half = "(See (F1L (pol 7.31 0 0)) (F1R (pol 5.31 0 0)) (F2L (pol 9.31 0 0)))";
  Parse(right_half + "(hear 0.00 -20.00 F1L)(GS (t 0.00) (pm KickOff_Right))");
  EXPECT_FALSE(wm::is_side_left);
  EXPECT_DOUBLE_EQ(wm::agent.my_pos.getX(), 1);
  EXPECT_EQ(wm::pm, PM_KICK_OFF_LEFT);  // the own team's kick-off
}

TEST_F(ParserTest, AKickOffIsDecodedWithTheSideAsItStoodBeforeTheMessage) {
  const std::string left_half = "(F1L (pol 5.31 0 0)) (F1R (pol 7.31 0 0)) (F2L (pol 5.31 0 0))";
  Parse(left_half + "(pm KickOff_Left)");
  EXPECT_EQ(wm::pm, PM_KICK_OFF_RIGHT);
  EXPECT_TRUE(wm::is_side_left);
  Parse(left_half + "(pm KickOff_Left)");
  EXPECT_EQ(wm::pm, PM_KICK_OFF_LEFT);
}

TEST_F(ParserTest, FootCountersOverASequenceOfMessages) {
  const std::string lf = "(FRP (n lf) (c 0 0 0) (f 0 0 22))";
  const std::string rf = "(FRP (n rf) (c 0 0 0) (f 0 0 22))";
  struct Step {
    std::string text;
    int l, r, l0, r0, frp0;
  };
  const Step steps[] = {{lf + rf, 1, 1, 0, 0, 0}, {lf + rf, 2, 2, 0, 0, 0}, {"(x)", 0, 0, 1, 1, 0},
                        {"(x)", 0, 0, 2, 2, 1},   {"", 0, 0, 3, 3, 2},      {lf, 1, 0, 0, 4, 0},
                        {rf + rf, 0, 2, 1, 0, 0}};
  for (const Step& s : steps) {
    Parse(s.text);
    EXPECT_EQ(std::vector<int>({wm::lfrp_count, wm::rfrp_count, wm::lfrp_0_count, wm::rfrp_0_count,
                                wm::frp_0_count}),
              std::vector<int>({s.l, s.r, s.l0, s.r0, s.frp0}))
        << s.text;
  }
  EXPECT_EQ(wm::rfrp.f_z, 22);
}

TEST_F(ParserTest, PositionSideAndGoalToAttack) {
  const std::string goals =
      "(G1L (pol 1 10 0)) (G2L (pol 2 20 0)) (G1R (pol 3 30 0)) (G2R (pol 4 40 0)) (B (pol 5 7 0))";
  Parse(goals + "(F1L (pol 7.31 0 0)) (F1R (pol 5.31 0 0)) (F2L (pol 9.31 0 0))");
  EXPECT_DOUBLE_EQ(wm::agent.my_pos.getX(), 1);
  EXPECT_DOUBLE_EQ(wm::agent.my_pos.getY(), 2);
  EXPECT_FALSE(wm::is_side_left);
  EXPECT_EQ(wm::pol_gtl.pal_angle, 10);
  EXPECT_EQ(wm::pol_gtr.pal_angle, 20);
  EXPECT_EQ(wm::ang_to_middle, 10 + 20 + 7);

  wm::Sim_Cycle = 49;
  Parse("(F1L (pol 5.31 0 0)) (F1R (pol 7.31 0 0))");
  EXPECT_DOUBLE_EQ(wm::agent.my_pos.getX(), -1);
  EXPECT_TRUE(wm::is_side_left);
  EXPECT_EQ(wm::pol_gtl.pal_angle, 30);
  EXPECT_EQ(wm::pol_gtr.pal_angle, 40);

  wm::Sim_Cycle = 50;  // from now on the side stays
  Parse("(F1L (pol 7.31 0 0)) (F1R (pol 5.31 0 0))");
  EXPECT_TRUE(wm::is_side_left);
}

TEST_F(ParserTest, PlayerThreeAlwaysSeesTheBallTowardsTheMiddle) {
  wm::my_number = 3;
  Parse("(G1L (pol 1 10 0)) (G2L (pol 2 -4 0)) (B (pol 5.00 2 0))");
  ExpectPolar(wm::pol_ball, 1.0, 8, 0);
  EXPECT_EQ(wm::dis_to_ball, powf(24.9375f, 0.5f));
  Parse("");
  ExpectPolar(wm::pol_ball, 1.0, 14, 0);
}

// A right-side player at its own kick-off; then a message that carries
// nothing keeps what was seen and derives the rest again.
TEST_F(ParserTest, AnEmptyMessageKeepsWhatWasSeenAndRecomputesTheRest) {
  Parse(ReadCorpus("kick_off_right.txt"));
  EXPECT_FALSE(wm::is_side_left);
  EXPECT_EQ(wm::pm, PM_KICK_OFF_LEFT);
  const Polar ball = wm::pol_ball;
  const double knee = wm::agent.get_cur_ang_lle4();
  wm::agent.my_pos.setX(99);
  wm::ang_to_middle = 99;
  Parse("");
  EXPECT_EQ(std::memcmp(&ball, &wm::pol_ball, sizeof ball), 0);
  EXPECT_EQ(wm::agent.get_cur_ang_lle4(), knee);
  EXPECT_NEAR(wm::agent.my_pos.getX(), 2.5, 0.01);
  EXPECT_NE(wm::ang_to_middle, 99);
  EXPECT_EQ(wm::lfrp_0_count + wm::rfrp_0_count, 2);
}

}  // namespace
