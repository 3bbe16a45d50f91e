// A Qt application with library controls in its own window: a formula
// typed into a line edit is drawn by two TMolForm controls, one under the
// application's (light) palette and one under a dark palette. The controls
// are QWidgets, so they go into ordinary layouts; their system colours
// (clBtnFace, clBtnText ...) come from the palette they are shown with.
//
//   qt-window                     shows the window
//   qt-window --screenshot FILE   writes the window as a PNG and exits
#include <QApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPalette>
#include <QVBoxLayout>
#include <cstring>
#include <iostream>

#include "nuv/Nuv_cform.h"
#include "nuv/Nuv_stringl.h"

namespace {

QPalette DarkPalette() {
  QPalette p;
  p.setColor(QPalette::Window, QColor(0x2B, 0x2B, 0x2B));
  p.setColor(QPalette::WindowText, QColor(0xE0, 0xE0, 0xE0));
  p.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x1E));
  p.setColor(QPalette::Text, QColor(0xE0, 0xE0, 0xE0));
  p.setColor(QPalette::Button, QColor(0x3C, 0x3F, 0x41));
  p.setColor(QPalette::ButtonText, QColor(0xF0, 0xF0, 0xF0));
  p.setColor(QPalette::Highlight, QColor(0x2F, 0x65, 0xCA));
  p.setColor(QPalette::HighlightedText, Qt::white);
  return p;
}

// A formula control with its mass below it, in a box of its own.
struct TFormulaPane {
  QGroupBox* Box;
  nuv::TMolForm* Formula;
  QLabel* Mass;

  TFormulaPane(const QString& title, QWidget* parent)
      : Box(new QGroupBox(title, parent)),
        Formula(new nuv::TMolForm(nullptr)),
        Mass(new QLabel(Box)) {
    auto* layout = new QVBoxLayout(Box);
    Formula->setParent(Box);
    Formula->setMinimumSize(220, 40);
    // Text in the button-text system colour, so that it follows the palette
    // like the button-face background does.
    Formula->SetColorTxt(nuv::clBtnText);
    layout->addWidget(Formula);
    layout->addWidget(Mass);
  }

  void Show(const std::string& text) {
    Formula->SetMolFormula(text);
    const double mass = static_cast<double>(Formula->ExactMolWgt());
    Mass->setText(QString::fromStdString("exact mass " + nuv::strff(mass, 1, 5) + " u"));
  }
};

}  // namespace

int main(int argc, char** argv) {
  const char* screenshot = nullptr;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) screenshot = argv[++i];
  QApplication app(argc, argv);

  QMainWindow window;
  window.setWindowTitle("nuv formula control");
  auto* central = new QWidget(&window);
  auto* layout = new QVBoxLayout(central);
  auto* form = new QFormLayout;
  auto* input = new QLineEdit("C8 H10 N4 O2", central);
  form->addRow("Formula:", input);
  layout->addLayout(form);

  auto* panes = new QHBoxLayout;
  TFormulaPane light("Application palette", central);
  TFormulaPane dark("Dark palette", central);
  dark.Box->setPalette(DarkPalette());
  dark.Box->setAutoFillBackground(true);
  panes->addWidget(light.Box);
  panes->addWidget(dark.Box);
  layout->addLayout(panes);
  window.setCentralWidget(central);

  const auto show = [&] {
    const std::string text = input->text().toStdString();
    light.Show(text);
    dark.Show(text);
  };
  QObject::connect(input, &QLineEdit::textChanged, show);
  show();
  window.resize(520, 170);
  window.show();

  if (!screenshot) return app.exec();
  app.processEvents();
  const QPixmap shot = window.grab();
  if (!shot.save(screenshot, "PNG")) {
    std::cerr << "qt-window: cannot write " << screenshot << '\n';
    return 1;
  }
  std::cout << "screenshot written to " << screenshot << " (" << shot.width() << " x "
            << shot.height() << " pixels)\n";
  return 0;
}
