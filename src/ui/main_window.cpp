#include "ui/main_window.h"

namespace lark {

MainWindow::MainWindow() {
  label2_ = {texts::kLabel2Initial, texts::kLabel2Tip, kDarkBlue};
  lblbkuppth_ = {"", "", kDarkBlue};
}

void MainWindow::SetLabel2(const std::string& text) {
  label2_.text = text;
  Changed(MainPart::Label2);
}

void MainWindow::SetLblbkuppthText(const std::string& text) {
  lblbkuppth_.text = text;
  Changed(MainPart::Lblbkuppth);
}

void MainWindow::SetLblbkuppthTooltip(const std::string& tooltip) {
  lblbkuppth_.tooltip = tooltip;
  Changed(MainPart::Lblbkuppth);
}

void MainWindow::SetLblbkuppthColour(Rgb colour) {
  lblbkuppth_.colour = colour;
  Changed(MainPart::Lblbkuppth);
}

void MainWindow::SetChkOverwrite(int value) {
  if (value == chkOverwrite_) return;
  chkOverwrite_ = value;
  Changed(MainPart::ChkOverwrite);
  if (onClick_) onClick_(onClickContext_);
}

void MainWindow::SetPanel(int number, const std::string& text) {
  panels_[number == 2 ? 1 : 0] = text;
  Changed(number == 2 ? MainPart::Panel2 : MainPart::Panel1);
}

void MainWindow::SetVisible(bool visible) {
  visible_ = visible;
  Changed(MainPart::Visible);
}

void MainWindow::Unload() {
  if (!loaded_) return;
  if (view_) view_->Unload();
  loaded_ = false;
  visible_ = false;
}

}  // namespace lark
