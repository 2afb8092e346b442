// Captions with accelerator marks: "&" marks the letter that clicks the control, "&&" stands for one "&".
#pragma once

#include <QString>

// The caption as it reads without its marks: each single "&" dropped, each "&&" made one "&".
QString captionWithoutAccelerators(const QString& caption);
