// Letter case of table text by the rules of its code page: single-byte pages map byte by byte through a
// table built once per page (a letter whose other case the page cannot hold stays as it is); other pages map
// the decoded text and keep the original when the mapped text would change its length.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace casemapping {

QByteArray upper(QByteArrayView text, int codePage);
QByteArray lower(QByteArrayView text, int codePage);

}  // namespace casemapping
