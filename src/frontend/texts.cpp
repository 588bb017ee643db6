#include "frontend/texts.h"

#include "base/text_encoding.h"
#include "console/escape_output.h"
#include "frontend/globals.h"

namespace frontend::texts {
namespace {

const std::string kBorder = console::kBoxBorder;

}  // namespace

const BoxLines& menu_zh() {
  static const BoxLines lines = {
      kBorder,
      GBK("|      青灯万象录：寂静之河      |"),
      "|   Lanternvale: Silent Rivers   |",
      GBK("|         作者:orvel_tam         |"),
      "+----------+----------+----------+",
      GBK("|1.开始游戏|2.游戏说明|3.退出游戏|"),
      "+----------+----------+----------+",
      GBK("|4.切换语言|5.调试信息           |"),
      "+----------+---------------------+",
      GBK("|输入：                          |"),
  };
  return lines;
}

const BoxLines& menu_en() {
  // The English menu keeps the Chinese title: it is the game's name.
  static const BoxLines lines = {
      kBorder,
      GBK("|      青灯万象录：寂静之河      |"),
      "|   Lanternvale: Silent Rivers   |",
      "|        Writer:orvel_tam        |",
      "+----------+-----------+---------+",
      "|1.Start   |2.Introduce|3.Exit   |",
      "+----------+-----------+---------+",
      "|4.Language|5.Debug              |",
      "+----------+---------------------+",
      "|Input:                          |",
  };
  return lines;
}

// The introductions are wrapped by hand, hyphens and all: nothing is wrapped
// at run time.
const BoxLines& intro_zh() {
  static const BoxLines lines = {
      kBorder,
      GBK("|【青灯万象录：寂静之河】（英文：|"),
      GBK("|Lanternvale: Silent Rivers）是一|"),
      GBK("|款由orvel_tam独立开发的免费游戏,|"),
      GBK("|若您获取方式为付费，请联系提供者|"),
      GBK("|或orvel_tam以获取免费版。       |"),
      kBorder,
      GBK("|您现在所使用的是2D版test-predev-|"),
      GBK("|1,该版本为测试版，可能存在重大问|"),
      GBK("|题，请在核实后向orvel_tam进行反 |"),
      GBK("|馈。                            |"),
      kBorder,
      GBK("|本游戏是一款沙盒类游戏，自由度较|"),
      GBK("|高，并含有修仙元素。            |"),
  };
  return lines;
}

const BoxLines& intro_en() {
  static const BoxLines lines = {
      kBorder,
      GBK("|[青灯万象录：寂静之河](English: |"),
      "|Lanternvale: Silent Rivers)is a |",
      "|free game independently develop-|",
      "|ed by orvel_tam. If you obtain  |",
      "|it through payment, please cont-|",
      "|act the provider or orvel_tam to|",
      "|obtain the free version.        |",
      kBorder,
      "|You are currently using the 2D  |",
      "|version test-predev-1, which is |",
      "|a beta version and may have sig-|",
      "|nificant issues. Please verify  |",
      "|and provide feedback to         |",
      "|orvel_tam.                      |",
      kBorder,
      "|This game is a sandbox game with|",
      "|high degrees of freedom and con-|",
      "|tains cultivation elements.     |",
  };
  return lines;
}

const BoxLines& farewell_zh() {
  static const BoxLines lines = {kBorder, GBK("|         欢迎下次游玩！         |")};
  return lines;
}

const BoxLines& farewell_en() {
  static const BoxLines lines = {kBorder, "|     Welcome to play again!     |"};
  return lines;
}

const BoxLines& language_zh() {
  static const BoxLines lines = {
      kBorder,
      GBK("|请选择语言：                    |"),
      GBK("|1.简体中文 2.English            |"),
  };
  return lines;
}

const BoxLines& language_en() {
  static const BoxLines lines = {
      kBorder,
      "|Please choose a language:       |",
      GBK("|1.简体中文 2.English            |"),
  };
  return lines;
}

const std::string& title_zh() {
  static const std::string title = GBK("青灯万象录：寂静之河") + "  " + std::string(version);
  return title;
}

const std::string& title_en() {
  static const std::string title = "Lanternvale: Silent Rivers  " + std::string(version);
  return title;
}

const std::string& title_dev() {
  static const std::string title = title_en() + "  devloper mode";
  return title;
}

}  // namespace frontend::texts
