#include "Main.h"

#include <QCloseEvent>

// Placeholder until the wizard is built.
Main::Main(QWidget* parent) : QWidget(parent) { setWindowTitle(QStringLiteral("Palvorn - Battle External Enemy Creator")); }
Main::~Main() = default;
void Main::ShowStep(int) {}
void Main::SaveSpriteTo(int) {}
void Main::LoadSpriteFrom(int) {}
void Main::InitPic() {}
void Main::setSpritePicture(const QImage& picture) { picture_ = picture; }
void Main::NewBut_Click() {}
void Main::NextBut_Click() {}
void Main::BackBut_Click() {}
void Main::FinishBut_Click() {}
void Main::Browse_Click() {}
void Main::ClipboardBut_Click() {}
void Main::closeEvent(QCloseEvent* event) { event->accept(); }
void Main::centreSprite() {}
