#include "controls/RzStrings.h"

#include <iterator>

namespace kovra {
namespace {

struct TRzStringRow {
  const char* english;
  const char* chinese;  // as a Chinese edition of Windows words it
};

constexpr TRzStringRow kStrings[] = {
    // Stock button kinds
    {"OK", "确定"},
    {"Cancel", "取消"},
    {"&Help", "帮助(&H)"},
    {"&Yes", "是(&Y)"},
    {"&No", "否(&N)"},
    {"&Close", "关闭(&C)"},
    {"Abort", "中止"},
    {"&Retry", "重试(&R)"},
    {"&Ignore", "忽略(&I)"},
    {"&All", "全部(&A)"},
    // Colour picker rows
    {"More Colors...", "其他颜色..."},
    {"None", "无"},
    {"Default", "默认"},
    // Colour names of the picker's palette, in palette order
    {"Black", "黑色"},
    {"Brown", "褐色"},
    {"Olive Green", "橄榄色"},
    {"Dark Green", "深绿"},
    {"Dark Teal", "深青"},
    {"Dark Blue", "深蓝"},
    {"Indigo", "靛蓝"},
    {"Gray 80%", "灰色-80%"},
    {"Dark Red", "深红"},
    {"Orange", "橙色"},
    {"Dark Yellow", "深黄"},
    {"Green", "绿色"},
    {"Teal", "青色"},
    {"Blue", "蓝色"},
    {"Blue Gray", "蓝-灰"},
    {"Gray 50%", "灰色-50%"},
    {"Red", "红色"},
    {"Light Orange", "浅橙色"},
    {"Lime", "酸橙色"},
    {"Sea Green", "海绿"},
    {"Aqua", "水绿色"},
    {"Light Blue", "浅蓝"},
    {"Violet", "紫罗兰"},
    {"Gray 40%", "灰色-40%"},
    {"Pink", "粉红"},
    {"Gold", "金色"},
    {"Yellow", "黄色"},
    {"Bright Green", "鲜绿"},
    {"Turquoise", "青绿"},
    {"Sky Blue", "天蓝"},
    {"Plum", "梅红"},
    {"Gray 25%", "灰色-25%"},
    {"Rose", "玫瑰红"},
    {"Tan", "茶色"},
    {"Light Yellow", "浅黄"},
    {"Light Green", "浅绿"},
    {"Light Turquoise", "浅青绿"},
    {"Pale Blue", "淡蓝"},
    {"Lavender", "淡紫"},
    {"White", "白色"},
    {"Scroll Bar", "滚动条"},
    {"Background", "桌面"},
    {"Active Caption", "活动标题栏"},
    {"Inactive Caption", "非活动标题栏"},
    {"Menu", "菜单"},
    {"Window", "窗口"},
    {"Window Frame", "窗口边框"},
    {"Menu Text", "菜单文字"},
    {"Window Text", "窗口文字"},
    {"Caption Text", "标题文字"},
    {"Active Border", "活动窗口边框"},
    {"Inactive Border", "非活动窗口边框"},
    {"App WorkSpace", "应用程序背景"},
    {"Highlight", "选定项目"},
    {"Highlight Text", "选定项目文字"},
    {"Button Face", "按钮表面"},
    {"Button Shadow", "按钮阴影"},
    {"Gray Text", "灰色文字"},
    {"Button Text", "按钮文字"},
    {"Inactive Caption Text", "非活动标题文字"},
    {"Button Highlight", "按钮高光"},
    {"3D Dark Shadow", "三维深阴影"},
    {"3D Light", "三维亮色"},
    {"Info Text", "工具提示文字"},
    {"Info Background", "工具提示背景"},
    {"Hot Light", "热跟踪"},
    {"Gradient Active Caption", "活动标题栏渐变色"},
    {"Gradient Inactive Caption", "非活动标题栏渐变色"},
    {"Menu Highlight", "菜单突出显示"},
    {"Menu Bar", "菜单栏"},
    // Open window
    {"Open", "打开"},
    {"&Open", "打开(&O)"},
    {"Look &in:", "查找范围(&I):"},
    {"File &name:", "文件名(&N):"},
    {"Files of &type:", "文件类型(&T):"},
    {"Open as &read-only", "以只读方式打开(&R)"},
    {"My Recent Documents", "我最近的文档"},
    {"Desktop", "桌面"},
    {"My Documents", "我的文档"},
    {"My Computer", "我的电脑"},
    {"My Network Places", "网上邻居"},
    {"Up One Level", "向上一级"},
    {"Show Desktop", "显示桌面"},
    {"Create New Folder", "新建文件夹"},
    {"Show Tree (F12)", "显示文件夹树 (F12)"},
    {"Displays items in a list.", "以列表形式显示项目。"},
    {"Displays information about each item in the window.", "显示窗口中每一项的相关信息。"},
    {"&View", "查看(&V)"},
    {"Lar&ge Icons", "大图标(&G)"},
    {"S&mall Icons", "小图标(&M)"},
    {"&List", "列表(&L)"},
    {"&Details", "详细信息(&D)"},
    {"&Paste", "粘贴(&P)"},
    {"Ne&w", "新建(&W)"},
    {"&Folder", "文件夹(&F)"},
    {"P&roperties", "属性(&R)"},
    {"%s\nThe above file name is invalid.", "%s\n上述文件名无效。"},
    {"More than one file has the name '%s'.\n\nChoose one from the list of files.",
     "有多个文件的名称为“%s”。\n\n请从文件列表中选择一个。"},
    {"%s\nThis file exists with Read Only attributes.\nPlease use a different file name.",
     "%s\n此文件具有只读属性。\n请使用其他文件名。"},
    {"%s already exists.\nDo you want to replace it?", "%s 已存在。\n要替换它吗？"},
    {"%s\nFile not found.\nPlease verify the correct file name was given.",
     "%s\n找不到文件。\n请确认所给的文件名是否正确。"},
    {"%s\nThis file does not exist.\n\nCreate the file?", "%s\n此文件不存在。\n\n要创建该文件吗？"},
    // Folder window
    {"Browse for Folder", "浏览文件夹"},
    {"Create Folder", "新建文件夹"},
    {"Delete", "删除"},
    {"&Delete", "删除(&D)"},
    // Shell list and folder utilities
    {"Name", "名称"},
    {"Size", "大小"},
    {"Type", "类型"},
    {"Modified", "修改日期"},
    {"System Folder", "系统文件夹"},
    {"The desktop has no parent folder", "桌面没有上一级文件夹"},
    {"The folder does not offer \"%s\"", "此文件夹不提供“%s”命令"},
    {"New Folder", "新建文件夹"},
    {"Unable to create the folder '%2'\n\n%1", "无法创建文件夹“%2”。\n\n%1"},
};
static_assert(std::size(kStrings) == rsCount, "one row per text");

constexpr std::uint16_t kLangChinese = 0x04;  // PRIMARYLANGID of every Chinese language

}  // namespace

TRzLanguage LanguageOfLangId(std::uint16_t langId) {
  return (langId & 0x3FF) == kLangChinese ? TRzLanguage::Chinese : TRzLanguage::English;
}

std::string_view RzStringIn(TRzString id, TRzLanguage language) {
  if (id >= rsCount) return {};
  const TRzStringRow& row = kStrings[id];
  return language == TRzLanguage::Chinese ? row.chinese : row.english;
}

}  // namespace kovra
