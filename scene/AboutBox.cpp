#include "AboutBox.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include "framework/TavoApplication.h"
#include "framework/TavoUtility.h"
#include "framework/Translation.h"

QString AboutText(const QString& folder) {
  // A folder's name is shown as it is written: "<b>" in it is no markup.
  return Tr("Window",
            "<p><b>%1</b> バージョン %2</p>"
            "<p>回って開く入れ子人形のおもちゃです。<br>"
            "ライセンス: GNU GPL 第 3 版以降 (GPL-3.0-or-later)</p>"
            "<p>作業フォルダー:<br>%3</p>"
            "<p>ビューに絵をドロップ: 見えている人形のその面に貼る<br>"
            "人形の縁をドラッグ: 見えている人形の形を変える (Esc で取り消し)<br>"
            "メニューの「筆で描く」: 見えている人形の肌に筆で描く (Esc で終わる、Ctrl+クリックで"
            "色を拾う)<br>"
            "メニューの「人形を閉じる」: 開いた人形を一つ外側まで閉じる<br>"
            "メニューの「人形の棚を開く」: ~/Kavinel の人形を見て、切り替え、名前を変え、"
            "ごみ箱に移す<br>"
            "ほかのプログラムで人形の絵を保存すると、すぐに読み直して見せます<br>"
            "Ctrl+Z: 元に戻す、Ctrl+Shift+Z / Ctrl+Y: やり直す<br>"
            "ビューを右クリック、またはメニューキー: メニュー<br>"
            "Enter / Space: 選んだボタンを押す、F1: この画面</p>")
      .Arg(Tr("Window", "カヴィネル").ToQString())  // the name in the desktop's language
      .Arg(ApplicationVersion())
      .Arg(QDir::toNativeSeparators(folder).toHtmlEscaped())
      .ToQString();
}

void ShowAboutBox(QWidget* parent, const QString& folder) {
  QMessageBox box(QMessageBox::NoIcon, Tr("Window", AboutCaption).ToQString(), AboutText(folder),
                  QMessageBox::Ok, parent);
  box.setTextFormat(Qt::RichText);
  box.setIconPixmap(QApplication::windowIcon().pixmap(64));
  box.exec();
}
