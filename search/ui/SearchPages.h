// The four pages of the search window and the condition dialog of its Extra Information page.
// Each page shows its part of the SearchCriteria (load) and writes the user's choices back
// (store); the enabling rules between its fields live here, the search itself in search/.
#pragma once

#include <QDialog>
#include <QWidget>
#include <vector>

#include "search/SearchCriteria.h"
#include "search/SearchFields.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTreeWidget;

namespace shelfmark {
class Prompter;
}

namespace shelfmark::search {

struct RecentSearches;

// "General": the search text with the recent searches, the word rules and the kinds of item.
class GeneralPage : public QWidget {
    Q_OBJECT
  public:
    explicit GeneralPage(QWidget* parent = nullptr);
    void load(const SearchCriteria& criteria);
    void store(SearchCriteria& criteria) const;
    // Fills the drop-down from the recent searches, most recent first, keeping the edit text.
    void setRecent(const RecentSearches& recent);
    // The letter of the chosen drop-down entry when the text is still that entry's.
    std::optional<char> selectedLetter() const;

    QComboBox* textBox() const { return text_; }
    QCheckBox* wholeString() const { return wholeString_; }
    QRadioButton* wordMode(WordMode mode) const;

  signals:
    void textChanged(const QString& text);

  private:
    QComboBox* text_;
    QCheckBox* caseSensitive_;
    QCheckBox* wholeString_;
    QButtonGroup* wordModes_;
    QCheckBox* inDescription_;
    QCheckBox* inExtraInfo_;
    QCheckBox* files_;
    QCheckBox* directories_;
    QCheckBox* disks_;
    QCheckBox* folders_;
};

// "Extended": the date window and the size limit.
class ExtendedPage : public QWidget {
    Q_OBJECT
  public:
    explicit ExtendedPage(QWidget* parent = nullptr);
    void load(const SearchCriteria& criteria);
    void store(SearchCriteria& criteria) const;

    QRadioButton* dateMode(DateMode mode) const;
    QDateEdit* date1() const { return date1_; }
    QDateEdit* date2() const { return date2_; }
    QSpinBox* months() const { return months_; }
    QSpinBox* days() const { return days_; }
    QLineEdit* sizeText() const { return size_; }
    QComboBox* sizeOperator() const { return operator_; }
    QComboBox* sizeUnit() const { return unit_; }

  private:
    void updateEnabled();

    QButtonGroup* dateModes_;
    QDateEdit* date1_;
    QDateEdit* date2_;
    QSpinBox* months_;
    QSpinBox* days_;
    QLineEdit* size_;
    QComboBox* operator_;
    QComboBox* unit_;
    // The time of day of each bound: the pickers change only the date.
    int64_t time1_ = 0;
    int64_t time2_ = 0;
};

// "Categories": the catalog's categories to list or to leave out.
class CategoriesPage : public QWidget {
    Q_OBJECT
  public:
    explicit CategoriesPage(QWidget* parent = nullptr);
    void setCategories(std::vector<NamedKey> categories);
    void load(const SearchCriteria& criteria);
    void store(SearchCriteria& criteria) const;

    QListWidget* list() const { return list_; }
    QRadioButton* exclude() const { return exclude_; }
    // The "Selection" menu's commands.
    void selectAll(bool on);
    void invertSelection();

  private:
    QListWidget* list_;
    QPushButton* selection_;
    QRadioButton* include_;
    QRadioButton* exclude_;
    std::vector<NamedKey> categories_;
};

// One condition: attribute, operator and values.
class ConditionDialog : public QDialog {
    Q_OBJECT
  public:
    ConditionDialog(std::vector<NamedKey> fields, const ExtraInfoCondition& condition,
                    Prompter& prompter, QWidget* parent = nullptr);
    ExtraInfoCondition condition() const { return condition_; }
    void accept() override;

    QComboBox* attribute() const { return attribute_; }
    QComboBox* op() const { return operator_; }
    QLineEdit* value1() const { return value1_; }
    QLineEdit* value2() const { return value2_; }

  private:
    void fillOperators(ConditionOperator wanted);
    void updateEnabled();

    std::vector<NamedKey> fields_;
    ExtraInfoCondition condition_;
    Prompter& prompter_;
    QComboBox* attribute_;
    QComboBox* operator_;
    QLineEdit* value1_;
    QLineEdit* value2_;
};

// "Extra Information": the list of conditions, all of which an item must meet.
class ExtraInfoPage : public QWidget {
    Q_OBJECT
  public:
    ExtraInfoPage(Prompter& prompter, QWidget* parent = nullptr);
    void setFields(std::vector<NamedKey> fields);
    void load(const SearchCriteria& criteria);
    void store(SearchCriteria& criteria) const;

    QTreeWidget* list() const { return list_; }
    // The commands, as the buttons run them; the condition dialog is modal. Delete asks first
    // unless `ask` is off (Shift held).
    void addCondition();
    void editCondition();
    void deleteConditions(bool ask);

  private:
    void refill();

    Prompter& prompter_;
    QTreeWidget* list_;
    std::vector<NamedKey> fields_;
    std::vector<ExtraInfoCondition> conditions_;
};

// The texts of a condition's three columns: attribute, operator, values.
QStringList ConditionTexts(const ExtraInfoCondition& condition, const std::vector<NamedKey>& fields);

}  // namespace shelfmark::search
