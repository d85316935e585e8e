#pragma once
#include <memory>

struct AppContext;
class frmMain;

// Start-up: loads Qt's Chinese texts, opens the configured database (falling back to the default
// one and recording it), reads the lessons per day, trims lessons beyond it and makes the main
// window. Returns nullptr after "打开数据库失败！" was shown.
std::unique_ptr<frmMain> Main(AppContext& ctx);
