#pragma once
// The pictures of a published set: each class's and teacher's week as a PNG
// 1080 pixels wide, the size chat programs show without shrinking the text,
// drawn offscreen so it works without a display.
#include "core/formats/PublishSet.h"

#include <QImage>

inline constexpr int kPublishPictureWidth = 1080;

QImage RenderPublishTable(const PublishSchool& s, const PublishTable& t, bool teacher);

// Writes <stem>.png for every class and teacher into folder; returns how many.
// Throws Failure naming the picture that could not be written.
int WritePublishPictures(const PublishSchool& s, const QString& folder);
