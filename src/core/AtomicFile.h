// Writes a file whole or not at all: the old file stays untouched on any failure.
#pragma once

#include <QIODevice>
#include <QString>

#include <functional>

// The writer fills the device and returns false (with an error text) to abandon the file.
using DeviceWriter = std::function<bool(QIODevice &device, QString *error)>;

bool WriteFileAtomically(const QString &path, const DeviceWriter &writer, QString *error = nullptr);

// Writes all of data or reports why not.
bool WriteAll(QIODevice &device, QByteArrayView data, QString *error);
