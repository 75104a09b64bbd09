#include "platform/RuntimeError.h"

RuntimeError::RuntimeError(long number, QString description)
    : m_number(number), m_description(std::move(description)),
      m_what(QString::number(number).append(" - ").append(m_description).toStdString()) {}

RuntimeError RuntimeError::ObjectNotSet() {
    return RuntimeError(DatabaseClosed, "Objekt ist ungültig oder nicht mehr festgelegt.");
}
