#include "core/model/Failure.h"

Failure::Failure(QString reason, QString file, QString advice)
    : std::runtime_error(
          (file.isEmpty() ? reason : reason + QStringLiteral("：") + file).toStdString()),
      m_reason(std::move(reason)), m_file(std::move(file)), m_advice(std::move(advice)) {}

QString Failure::message() const {
    QString text = m_file.isEmpty() ? m_reason : m_reason + QStringLiteral("：") + m_file;
    if (!m_advice.isEmpty())
        text += QLatin1Char('\n') + m_advice;
    return text;
}

QString FailureMessage(const std::exception& e, const QString& fallbackReason,
                       const QString& file) {
    if (const auto* f = dynamic_cast<const Failure*>(&e))
        return f->message();
    return Failure(fallbackReason, file).message();
}
