#include "ChoiceListModel.h"

namespace orvane {

ChoiceListModel::ChoiceListModel(QObject* parent) : QAbstractListModel(parent) {}

ChoiceListModel::ChoiceListModel(std::vector<Choice> choices, QObject* parent)
    : QAbstractListModel(parent), choices_(std::move(choices)) {}

void ChoiceListModel::setChoices(std::vector<Choice> choices) {
    if (choices == choices_)
        return;
    const bool countChanges = choices.size() != choices_.size();
    if (countChanges) {
        beginResetModel();
        choices_ = std::move(choices);
        endResetModel();
        emit countChanged();
        return;
    }
    // Same rows, other texts (a grid of six instead of four): the delegates stay.
    choices_ = std::move(choices);
    emit dataChanged(index(0), index(count() - 1));
}

QString ChoiceListModel::titleOf(const QVariant& value) const {
    for (const Choice& choice : choices_)
        if (choice.value == value)
            return choice.title;
    return {};
}

int ChoiceListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant ChoiceListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Choice& choice = choices_[size_t(index.row())];
    switch (role) {
    case ValueRole:
        return choice.value;
    case TitleRole:
        return choice.title;
    case DescriptionRole:
        return choice.description;
    default:
        return {};
    }
}

QHash<int, QByteArray> ChoiceListModel::roleNames() const {
    return {{ValueRole, "value"}, {TitleRole, "title"}, {DescriptionRole, "description"}};
}

} // namespace orvane
