#include "core/models/SearchModels.h"

namespace models {

QString SearchHitsModel::cell(const io::SearchHit& h, int column) const {
    switch (column) {
        case 0:
            return h.date;
        case 1:
            if (!m_bank) return QString::number(h.page);
            return h.bankName.isEmpty() ? QString::number(h.bank) : h.bankName;
        case 2:
            return h.codeName.isEmpty() ? QString::number(h.code) : h.codeName;
        case 3:
            return h.amount ? QString::number(*h.amount) : QString();
        case 4:
            return h.note;
        default:
            return {};
    }
}

}  // namespace models
