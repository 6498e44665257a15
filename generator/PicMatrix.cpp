#include "PicMatrix.h"

// Placeholder until the worker window is built.
QPointer<PicMatrix> PicMatrix::current_;

PicMatrix* PicMatrix::instance()
{
    if (!current_)
        current_ = new PicMatrix;
    return current_;
}
PicMatrix* PicMatrix::existing() { return current_; }
void PicMatrix::closeIfOpen()
{
    if (current_)
        current_->close();
}
void PicMatrix::setSettingsReader(std::function<void(palvorn::EnemyValues&)>) {}
void PicMatrix::setOkFollowUp(std::function<void()>) {}
void PicMatrix::setCopySprite(int, const QImage&) {}
QImage PicMatrix::copySprite(int) const { return {}; }
std::filesystem::path PicMatrix::WriteFile() { return {}; }
void PicMatrix::OkBut_Click() {}
PicMatrix::PicMatrix(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_DeleteOnClose); }
