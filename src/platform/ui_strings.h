// The texts of the program's windows, in one place for the resource script (its string table,
// dialog and menus include this file) and for the code of both builds. Narrow UTF-8 literals:
// the resource compiler reads them under code page 65001, and C++ code makes them UTF-16 by
// concatenation (u"" ORVINTA_TEXT_...).
#pragma once

#define ORVINTA_TEXT_CAPTION "Orvinta"
#define ORVINTA_TEXT_PROMPT "请输入要执行的命令，命令解释引擎将为您执行它。"
#define ORVINTA_TEXT_COMMAND_LABEL "命令:"
#define ORVINTA_TEXT_MENU "菜单"
#define ORVINTA_TEXT_EXECUTE "执行"
#define ORVINTA_TEXT_CLEAR_LOG "清除日志"
#define ORVINTA_TEXT_ASSOCIATION "文件关联"
#define ORVINTA_TEXT_HELP "帮助"
#define ORVINTA_TEXT_ABOUT "关于"
#define ORVINTA_TEXT_EXIT "退出"
#define ORVINTA_TEXT_OK "确定"
#define ORVINTA_TEXT_CANCEL "取消"
// String 500: the picker's filter, description and pattern pairs separated by "|".
#define ORVINTA_TEXT_FILTER \
  "所有支持文件 (*.ovs;*.reg;*xml)|*.ovs;*.reg;*xml|命令文件 (*.ovs)|*.ovs|注册表文件 (*.reg)|*.reg|配置文件 (*xml)|*xml|所有文件 (*.*)|*.*|"
// String 501: why a Smartphone 2003 needs one of the outside file dialogs.
#define ORVINTA_TEXT_PICKER_HELP \
  "如果要在 Smartphone 2003 中浏览获取文件名，必须从以下网站中下载 RFileShell 或 tGetFile 函数库:" \
  "\n\nRFileShell:\nhttp://www.resco.net/\n\ntGetFile:\nhttp://www.tillanosoft.com/"
#define ORVINTA_TEXT_SAVE "保存"
#define ORVINTA_TEXT_OPEN "打开"
#define ORVINTA_TEXT_ASSOCIATION_ON \
  "已经把 .ovs 文件类型关联到 Orvinta 命令解释引擎。\n\n您现在可以在资源管理器中直接打开 Orvinta 命令文件。"
#define ORVINTA_TEXT_ASSOCIATION_OFF "已经取消 .ovs 文件类型关联。"
// The about box's last two paragraphs.
#define ORVINTA_TEXT_ABOUT_LINE3 "Windows Mobile 命令脚本解释引擎"
#define ORVINTA_TEXT_ABOUT_LINE4 "本程序可以免费使用和复制。"
