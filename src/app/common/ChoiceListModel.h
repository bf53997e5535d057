#pragma once
// The choices a picker offers (the category picker, the camera tabs, the rates, the quality, …) as a
// typed list model: each row a value, its title and an optional description. Interface thread only.

#include <QAbstractListModel>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <vector>

namespace orvane {

struct Choice {
    QVariant value;
    QString title;
    QString description;
    bool operator==(const Choice&) const = default;
};

class ChoiceListModel : public QAbstractListModel {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Pickers get their choices from C++")
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role { ValueRole = Qt::UserRole + 1, TitleRole, DescriptionRole };

    explicit ChoiceListModel(QObject* parent = nullptr);
    ChoiceListModel(std::vector<Choice> choices, QObject* parent = nullptr);

    // Replaces the choices; the same list again changes nothing (no delegate is rebuilt).
    void setChoices(std::vector<Choice> choices);
    const std::vector<Choice>& choices() const { return choices_; }
    int count() const { return int(choices_.size()); }
    // The title of the choice whose value is `value`, "" without one.
    Q_INVOKABLE QString titleOf(const QVariant& value) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void countChanged();

private:
    std::vector<Choice> choices_;
};

} // namespace orvane
