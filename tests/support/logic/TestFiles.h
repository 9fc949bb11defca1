// Files for tests: writing and reading them whole, a folder's state, FIFOs and devices.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// Writes bytes into a file under dir and returns its path; a failed write fails the test.
QString writeTestFile(const QString &dir, const QString &name, const QByteArray &bytes);

// A file's whole content; empty when it cannot be read.
QByteArray readTestFile(const QString &path);

// "8F 74 0D 0A" style dump, for readable failures of byte-exact comparisons.
QByteArray hexBytes(const QByteArray &bytes);

// Every entry of a folder, hidden ones too, so that a leftover temporary file shows.
QStringList folderEntries(const QString &dir);

// Every entry under a folder by relative path: its kind (1 file, 2 folder, 3 other) and a
// regular file's content. Equal snapshots mean nothing was added, removed or changed.
QMap<QString, QByteArray> folderSnapshot(const QString &dir);

// Makes a FIFO at the path; false when it cannot.
bool makeFifo(const QString &path);

// Opens a FIFO's read end without waiting, so that opening it to write does not wait for a
// reader either; -1 when it cannot.
int openFifoReader(const QString &path);

// Makes a private copy of /dev/null at the path, so that a fault replaces nothing of the
// system's; false when it cannot, as without root.
bool makeNullDevice(const QString &path);
