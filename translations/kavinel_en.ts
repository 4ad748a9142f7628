<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>DollFile</name>
    <message>
        <source>人形ファイルを作れません: %1</source>
        <translation>Cannot create the doll file: %1</translation>
    </message>
    <message>
        <source>項目名 %1 に NUL 文字があります</source>
        <translation>the entry name %1 contains a NUL character</translation>
    </message>
    <message>
        <source>項目名 %1 は UTF-8 ではありません</source>
        <translation>the entry name %1 is not UTF-8</translation>
    </message>
    <message>
        <source>項目名 %1 に制御文字があります</source>
        <translation>the entry name %1 contains a control character</translation>
    </message>
    <message>
        <source>項目名 %1 に \ があります</source>
        <translation>the entry name %1 contains a \</translation>
    </message>
    <message>
        <source>項目名 %1 は絶対パスです</source>
        <translation>the entry name %1 is an absolute path</translation>
    </message>
    <message>
        <source>項目名 %1 に空、&quot;.&quot; または &quot;..&quot; の部分があります</source>
        <translation>the entry name %1 has an empty, &quot;.&quot; or &quot;..&quot; part</translation>
    </message>
    <message>
        <source>書庫が壊れています</source>
        <translation>the archive is damaged</translation>
    </message>
    <message>
        <source>途中で切れています</source>
        <translation>it is incomplete</translation>
    </message>
    <message>
        <source>ZIP 書庫ではありません</source>
        <translation>it is not a ZIP archive</translation>
    </message>
    <message>
        <source>複数のディスクに分かれています</source>
        <translation>it is split across several disks</translation>
    </message>
    <message>
        <source>項目 %1 と %2 が重なっています</source>
        <translation>the entries %1 and %2 overlap</translation>
    </message>
    <message>
        <source>項目 %1 のローカルヘッダーが中央ディレクトリと食い違っています</source>
        <translation>the local header of the entry %1 disagrees with the central directory</translation>
    </message>
    <message>
        <source>項目名 %1 が二つあります</source>
        <translation>the entry name %1 appears twice</translation>
    </message>
    <message>
        <source>項目名 %1 と %2 は紛らわしい名前です</source>
        <translation>the entry names %1 and %2 are easily confused</translation>
    </message>
    <message>
        <source>項目名 %1 は人形の絵 %2 と紛らわしい名前です</source>
        <translation>the entry name %1 is easily confused with the doll picture %2</translation>
    </message>
    <message>
        <source>項目 %1 はシンボリックリンクです</source>
        <translation>the entry %1 is a symbolic link</translation>
    </message>
    <message>
        <source>項目 %1 は通常のファイルではありません</source>
        <translation>the entry %1 is not a regular file</translation>
    </message>
    <message>
        <source>項目 %1 は暗号化されています</source>
        <translation>the entry %1 is encrypted</translation>
    </message>
    <message>
        <source>項目 %1 の圧縮方式 %2 は使えません</source>
        <translation>the entry %1 uses an unsupported compression method (%2)</translation>
    </message>
    <message>
        <source>フォルダー %1 に中身があります</source>
        <translation>the folder %1 is not empty</translation>
    </message>
    <message>
        <source>項目 %1 の CRC が合いません</source>
        <translation>the CRC of the entry %1 does not match</translation>
    </message>
    <message>
        <source>項目 %1 の長さが合いません</source>
        <translation>the length of the entry %1 does not match</translation>
    </message>
    <message>
        <source>項目 %1 の圧縮データが壊れています</source>
        <translation>the compressed data of the entry %1 is damaged</translation>
    </message>
    <message>
        <source>先頭の項目が mimetype ではありません</source>
        <translation>the first entry is not mimetype</translation>
    </message>
    <message>
        <source>mimetype が無圧縮ではありません</source>
        <translation>mimetype is not stored uncompressed</translation>
    </message>
    <message>
        <source>種類が %1 です (%2 のはず)</source>
        <translation>the type is %1 (it should be %2)</translation>
    </message>
    <message>
        <source>同じ名前のファイルがあります</source>
        <translation>a file with the same name already exists</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を作れません: %2</source>
        <translation>Cannot create file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>%1 がありません</source>
        <translation>%1 is missing</translation>
    </message>
    <message>
        <source>項目 %1 の拡張フィールドが壊れています</source>
        <translation>the extra fields of the entry %1 are damaged</translation>
    </message>
    <message>
        <source>ZIP64 の記録があります</source>
        <translation>it holds a ZIP64 record</translation>
    </message>
    <message>
        <source>項目 %1 に別の名前の拡張フィールドがあります</source>
        <translation>the entry %1 has an extra field giving it another name</translation>
    </message>
    <message>
        <source>終わりのレコードが二つ以上あります</source>
        <translation>it has more than one end record</translation>
    </message>
    <message>
        <source>項目 %1 のデータ記述子が中央ディレクトリと食い違っています</source>
        <translation>the data descriptor of the entry %1 disagrees with the central directory</translation>
    </message>
    <message>
        <source>どの項目にも属さないバイトがあります</source>
        <translation>it holds bytes that belong to no entry</translation>
    </message>
    <message>
        <source>mimetype に拡張フィールドかデータ記述子があります</source>
        <translation>mimetype has an extra field or a data descriptor</translation>
    </message>
    <message>
        <source>人形ファイル &quot;%1&quot; を開けません: %2</source>
        <translation>Cannot open the doll file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>項目名 %1 は長すぎます (%2 バイト、上限は %3 バイトです)</source>
        <translation>the entry name %1 is too long (%2 bytes; the limit is %3)</translation>
    </message>
    <message>
        <source>絵 &quot;%1&quot; は人形ファイルに入れるには大きすぎます (上限は %2 MiB です)</source>
        <translation>the picture &quot;%1&quot; is too large for a doll file (the limit is %2 MiB)</translation>
    </message>
    <message>
        <source>人形の絵が合わせて大きすぎて人形ファイルに入りません (上限は %1 MiB です)</source>
        <translation>the doll&apos;s pictures together are too large for a doll file (the limit is %1 MiB)</translation>
    </message>
    <message>
        <source>大きすぎます (上限は %1 MiB です)</source>
        <translation>it is too large (the limit is %1 MiB)</translation>
    </message>
    <message>
        <source>項目が多すぎます (%1 個、上限は %2 個です)</source>
        <translation>it has too many entries (%1; the limit is %2)</translation>
    </message>
    <message>
        <source>展開すると大きすぎます (上限は %1 MiB です)</source>
        <translation>it is too large when unpacked (the limit is %1 MiB)</translation>
    </message>
    <message>
        <source>項目名 %1 は %2 をフォルダーとして使っています</source>
        <translation>the entry name %1 uses %2 as a folder</translation>
    </message>
    <message>
        <source>絵 %1 の名前が MS-DOS の書き方です</source>
        <translation>the picture %1 is named the MS-DOS way</translation>
    </message>
    <message>
        <source>項目 %1 が大きすぎます (上限は %2 MiB です)</source>
        <translation>the entry %1 is too large (the limit is %2 MiB)</translation>
    </message>
    <message>
        <source>項目 %1 のフラグ 0x%2 は使えません</source>
        <translation>the entry %1 has the flags 0x%2, which are not allowed</translation>
    </message>
    <message>
        <source>無圧縮の項目 %1 にデータ記述子があります</source>
        <translation>the stored entry %1 has a data descriptor</translation>
    </message>
    <message>
        <source>項目 %1 の拡張フィールド 0x%2 (%3 バイト) は使えません</source>
        <translation>the entry %1 has an extra field 0x%2 (%3 bytes), which is not allowed</translation>
    </message>
    <message>
        <source>項目 %1 は版 %2.%3 の ZIP を求めています</source>
        <translation>the entry %1 needs ZIP version %2.%3</translation>
    </message>
</context>
<context>
    <name>DollHistory</name>
    <message>
        <source>ファイル &quot;%1&quot; には戻せる前の版がありません</source>
        <translation>File &quot;%1&quot; has no earlier version to go back to</translation>
    </message>
</context>
<context>
    <name>Errors</name>
    <message>
        <source>ビットマップ (%1 × %2) を作るメモリが足りません</source>
        <translation>Not enough memory to create a %1 × %2 bitmap</translation>
    </message>
    <message>
        <source>範囲チェックエラー</source>
        <translation>Range check error</translation>
    </message>
    <message>
        <source>整数のオーバーフロー</source>
        <translation>Integer overflow</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を開けません: %2</source>
        <translation>Cannot open file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; を書き込めません: %2</source>
        <translation>Cannot write file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>JPEG エラー #%1 (&quot;%2&quot;): %3</source>
        <translation>JPEG error #%1 (&quot;%2&quot;): %3</translation>
    </message>
    <message>
        <source>不明なエラーが発生しました。</source>
        <translation>An unknown error occurred.</translation>
    </message>
    <message>
        <source>フォルダー &quot;%1&quot; を作れません: %2</source>
        <translation>Cannot create folder &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>ファイル &quot;%1&quot; は読める絵ではありません: %2</source>
        <translation>File &quot;%1&quot; is not a readable picture: %2</translation>
    </message>
    <message>
        <source>絵 &quot;%1&quot; は %2 × %3 ピクセルです。%4 × %5 ピクセル以上が必要です。</source>
        <translation>Picture &quot;%1&quot; is %2 × %3 pixels. At least %4 × %5 pixels are needed.</translation>
    </message>
</context>
<context>
    <name>Launcher</name>
    <message>
        <source>サンプルの人形が見つかりません</source>
        <translation>the sample doll cannot be found</translation>
    </message>
    <message>
        <source>読み込みに失敗しました</source>
        <translation>reading failed</translation>
    </message>
    <message>
        <source>プログラム &quot;%1&quot; を起動できません: %2</source>
        <translation>Cannot start program &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>フォルダー &quot;%1&quot; に移れません: %2</source>
        <translation>Cannot change to folder &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>カヴィネル: 回って開く入れ子人形</source>
        <translation>Kavinel: a nesting doll that turns and opens</translation>
    </message>
    <message>
        <source>人形ファイル</source>
        <translation>doll-file</translation>
    </message>
    <message>
        <source>開く人形ファイル (.kavinel)</source>
        <translation>The doll file (.kavinel) to open</translation>
    </message>
    <message>
        <source>カヴィネル (Kavinel) %1</source>
        <translation>Kavinel %1</translation>
    </message>
    <message>
        <source>人形ファイルは一つだけ渡せます</source>
        <translation>Only one doll file can be given</translation>
    </message>
    <message>
        <source>--export と人形ファイルは一緒に渡せません</source>
        <translation>--export and a doll file cannot be given together</translation>
    </message>
    <message>
        <source>このフォルダーには人形 (%1, %2) がないので、%3 で起動します</source>
        <translation>This folder holds no doll (%1, %2), so Kavinel starts in %3</translation>
    </message>
    <message>
        <source>人形ファイル &quot;%1&quot; と同じ人形が %2 にあるので、それを見せます</source>
        <translation>The doll file &quot;%1&quot; holds the same doll as %2: showing that one</translation>
    </message>
    <message>
        <source>ウィンドウを出すディスプレイがありません (DISPLAY も WAYLAND_DISPLAY もありません)</source>
        <translation>No display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)</translation>
    </message>
    <message>
        <source>ディスプレイ &quot;%1&quot; に接続できません</source>
        <translation>Cannot connect to the display &quot;%1&quot;</translation>
    </message>
    <message>
        <source>この使い方を表示して終わります</source>
        <translation>Show this usage, then quit</translation>
    </message>
    <message>
        <source>この人形フォルダーの人形を人形ファイル FILE.kavinel に書き出して終わります</source>
        <translation>Export the doll of this folder as the doll file FILE.kavinel, then quit</translation>
    </message>
    <message>
        <source>フォルダー &quot;%1&quot; には人形がありません</source>
        <translation>The folder &quot;%1&quot; holds no doll</translation>
    </message>
    <message>
        <source>版を表示して終わります</source>
        <translation>Show the version, then quit</translation>
    </message>
    <message>
        <source>オプション:</source>
        <translation>Options:</translation>
    </message>
    <message>
        <source>引数:</source>
        <translation>Arguments:</translation>
    </message>
    <message>
        <source>使い方: %1 [オプション] [人形ファイル.kavinel]</source>
        <translation>Usage: %1 [options] [doll-file.kavinel]</translation>
    </message>
</context>
<context>
    <name>Paint</name>
    <message>
        <source>黒</source>
        <translation>Black</translation>
    </message>
    <message>
        <source>白</source>
        <translation>White</translation>
    </message>
    <message>
        <source>赤</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>朱色</source>
        <translation>Vermilion</translation>
    </message>
    <message>
        <source>臙脂</source>
        <translation>Crimson</translation>
    </message>
    <message>
        <source>肌色</source>
        <translation>Skin</translation>
    </message>
    <message>
        <source>金色</source>
        <translation>Gold</translation>
    </message>
    <message>
        <source>山吹色</source>
        <translation>Golden yellow</translation>
    </message>
    <message>
        <source>緑</source>
        <translation>Green</translation>
    </message>
    <message>
        <source>若草色</source>
        <translation>Leaf green</translation>
    </message>
    <message>
        <source>青</source>
        <translation>Blue</translation>
    </message>
    <message>
        <source>藍色</source>
        <translation>Indigo</translation>
    </message>
    <message>
        <source>その他の色…</source>
        <translation>More Colours…</translation>
    </message>
    <message>
        <source>筆 (B)</source>
        <translation>Brush (B)</translation>
    </message>
    <message>
        <source>色で描きます</source>
        <translation>Paints with the colour</translation>
    </message>
    <message>
        <source>消しゴム (E)</source>
        <translation>Eraser (E)</translation>
    </message>
    <message>
        <source>描き始める前の肌に戻します</source>
        <translation>Brings back the skin as it was before the painting</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>やり直す</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>完了</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>今の色</source>
        <translation>Current colour</translation>
    </message>
    <message>
        <source>太さ %1 ピクセル</source>
        <translation>%1 pixels wide</translation>
    </message>
    <message>
        <source>[ と ] で切り替えます</source>
        <translation>[ and ] change it</translation>
    </message>
    <message>
        <source>色</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>太さ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>その他の色</source>
        <translation>More Colours</translation>
    </message>
    <message>
        <source>筆</source>
        <translation>Brush</translation>
    </message>
    <message>
        <source>塗りつぶし (G)</source>
        <translation>Fill (G)</translation>
    </message>
    <message>
        <source>クリックした所と同じ色の部分を塗ります</source>
        <translation>Paints the field of one colour you click</translation>
    </message>
    <message>
        <source>鏡 (M)</source>
        <translation>Mirror (M)</translation>
    </message>
    <message>
        <source>人形の軸の反対側にも同じように描きます</source>
        <translation>Paints the same again across the doll's axis</translation>
    </message>
    <message>
        <source>許容差</source>
        <translation>Tolerance</translation>
    </message>
    <message>
        <source>塗りつぶしが色の違いをどこまで同じと見るか</source>
        <translation>How different a colour the fill still takes as the same</translation>
    </message>
</context>
<context>
    <name>Pictures</name>
    <message>
        <source>ヘッダーが途中で切れています</source>
        <translation>the header is incomplete</translation>
    </message>
    <message>
        <source>BM で始まっていません</source>
        <translation>it does not start with BM</translation>
    </message>
    <message>
        <source>ヘッダーの長さ %1 は扱えません</source>
        <translation>a header length of %1 is not supported</translation>
    </message>
    <message>
        <source>プレーン数が 1 ではありません</source>
        <translation>the number of planes is not 1</translation>
    </message>
    <message>
        <source>%1 ビット、圧縮方式 %2 は扱えません</source>
        <translation>%1 bits per pixel with compression method %2 is not supported</translation>
    </message>
    <message>
        <source>色テーブルが途中で切れています</source>
        <translation>the colour table is incomplete</translation>
    </message>
    <message>
        <source>ランレングスデータが途中で切れています</source>
        <translation>the run-length data is incomplete</translation>
    </message>
    <message>
        <source>フォルダーです</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>通常のファイルではありません</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます</source>
        <translation>the file is too large</translation>
    </message>
    <message>
        <source>画素データが途中で切れています (%1 / %2 バイト)</source>
        <translation>the pixel data is incomplete (%1 of %2 bytes)</translation>
    </message>
    <message>
        <source>画素データが途中で切れています (%1 バイトで終わっています)</source>
        <translation>the pixel data is incomplete (the file ends after %1 bytes)</translation>
    </message>
    <message>
        <source>画素データが途中で切れています (%1 / %2 行)</source>
        <translation>the pixel data is incomplete (%1 of %2 rows)</translation>
    </message>
    <message>
        <source>幅または高さが 0 以下です (%1 × %2)</source>
        <translation>the width or height is zero or less (%1 × %2)</translation>
    </message>
    <message>
        <source>スキャンが多すぎます (%1 回目)</source>
        <translation>there are too many scans (scan %1)</translation>
    </message>
    <message>
        <source>画素の形式がわかりません</source>
        <translation>the pixel format is not recognised</translation>
    </message>
    <message>
        <source>絵を作るメモリが足りません</source>
        <translation>not enough memory to create the picture</translation>
    </message>
    <message>
        <source>絵が大きすぎます (%1 × %2)</source>
        <translation>the picture is too large (%1 × %2)</translation>
    </message>
    <message>
        <source>絵の形式がわかりません</source>
        <translation>the picture format is not recognised</translation>
    </message>
</context>
<context>
    <name>Shelf</name>
    <message>
        <source>フォルダー &quot;%1&quot; の名前を変えられません: %2</source>
        <translation>Cannot rename the folder &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; は人形のフォルダーの名前に使えません (制御文字、先頭の点やダッシュ、末尾の .kavinel・.bmp・.new、/ は使えず、200 バイトまでです)</source>
        <translation>&quot;%1&quot; cannot name a doll&apos;s folder (no control characters, no / , no dot or dash at the start, no .kavinel, .bmp or .new at the end, at most 200 bytes)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; という名前はもう使われています</source>
        <translation>the name &quot;%1&quot; is taken</translation>
    </message>
    <message>
        <source>フォルダー &quot;%1&quot; をごみ箱に移せません: ごみ箱が受け付けません</source>
        <translation>Cannot move the folder &quot;%1&quot; to the trash: the trash does not take it</translation>
    </message>
    <message>
        <source>フォルダー &quot;%1&quot; をごみ箱から戻せません: %2</source>
        <translation>Cannot bring the folder &quot;%1&quot; back from the trash: %2</translation>
    </message>
    <message>
        <source>見せる(&amp;W)</source>
        <translation>Sho&amp;w</translation>
    </message>
    <message>
        <source>新しい人形(&amp;N)</source>
        <translation>&amp;New Doll</translation>
    </message>
    <message>
        <source>複製する(&amp;D)</source>
        <translation>&amp;Duplicate</translation>
    </message>
    <message>
        <source>名前を変える(&amp;R)</source>
        <translation>&amp;Rename</translation>
    </message>
    <message>
        <source>ごみ箱に移す(&amp;T)</source>
        <translation>Move to &amp;Trash</translation>
    </message>
    <message>
        <source>棚の操作を元に戻す(&amp;U)</source>
        <translation>&amp;Undo on the Shelf</translation>
    </message>
    <message>
        <source>人形ファイルを開く(&amp;F)…</source>
        <translation>Open a Doll &amp;File…</translation>
    </message>
    <message>
        <source>人形の棚</source>
        <translation>Doll Shelf</translation>
    </message>
    <message>
        <source>人形の一覧</source>
        <translation>Dolls</translation>
    </message>
    <message>
        <source>わたしの人形</source>
        <translation>My Doll</translation>
    </message>
    <message>
        <source>表示中の人形</source>
        <translation>The doll shown now</translation>
    </message>
    <message>
        <source>わたしの人形は ~/Kavinel そのものなので、ごみ箱に移せません</source>
        <translation>My Doll is ~/Kavinel itself: it cannot go to the trash</translation>
    </message>
    <message>
        <source>表示中の人形はごみ箱に移せません</source>
        <translation>The doll shown now cannot go to the trash</translation>
    </message>
    <message>
        <source>人形のフォルダーをデスクトップのごみ箱に移します</source>
        <translation>Moves the doll&apos;s folder to the desktop&apos;s trash</translation>
    </message>
    <message>
        <source>人形</source>
        <translation>Doll</translation>
    </message>
</context>
<context>
    <name>Thumbnailer</name>
    <message>
        <source>使い方: kavinel-thumbnailer -s SIZE INPUT OUTPUT  (SIZE: 1..%1)</source>
        <translation>Usage: kavinel-thumbnailer -s SIZE INPUT OUTPUT  (SIZE: 1..%1)</translation>
    </message>
</context>
<context>
    <name>Window</name>
    <message>
        <source>人形を閉じる(&amp;C)</source>
        <translation>&amp;Close the Doll</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>やり直す(&amp;R)</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>回転アニメーションを保存(&amp;A)</source>
        <translation>Save the Turning &amp;Animation</translation>
    </message>
    <message>
        <source>人形ファイルを開く(&amp;D)…</source>
        <translation>Open a &amp;Doll File…</translation>
    </message>
    <message>
        <source>人形を書き出す(&amp;E)…</source>
        <translation>&amp;Export the Doll…</translation>
    </message>
    <message>
        <source>フォルダーを開く(&amp;F)</source>
        <translation>Open the &amp;Folder</translation>
    </message>
    <message>
        <source>カヴィネルについて(&amp;H)</source>
        <translation>About &amp;Kavinel</translation>
    </message>
    <message>
        <source>人形ファイルを開く</source>
        <translation>Open a Doll File</translation>
    </message>
    <message>
        <source>人形を書き出す</source>
        <translation>Export the Doll</translation>
    </message>
    <message>
        <source>フォルダー &quot;%1&quot; を開けません: ファイルマネージャーを起動できません</source>
        <translation>Cannot open folder &quot;%1&quot;: no file manager can be started</translation>
    </message>
    <message>
        <source>カヴィネルについて</source>
        <translation>About Kavinel</translation>
    </message>
    <message>
        <source>人形の表</source>
        <translation>Front of the doll</translation>
    </message>
    <message>
        <source>人形の裏</source>
        <translation>Back of the doll</translation>
    </message>
    <message>
        <source>止まっています</source>
        <translation>Standing still</translation>
    </message>
    <message>
        <source>左回りに回っています</source>
        <translation>Turning left</translation>
    </message>
    <message>
        <source>右回りに回っています</source>
        <translation>Turning right</translation>
    </message>
    <message>
        <source>このカヴィネルは開く形をしていません。</source>
        <translation>This doll is not shaped to open.</translation>
    </message>
    <message>
        <source>これらの中の人形は、外側の人形の絵を使います。</source>
        <translation>These inner dolls use the outer doll&apos;s pictures.</translation>
    </message>
    <message>
        <source>筆で描いています: 太さ %1 ピクセルの消しゴム。</source>
        <translation>Painting: an eraser %1 pixels wide.</translation>
    </message>
    <message>
        <source>筆で描いています: 太さ %1 ピクセル、色は %2。</source>
        <translation>Painting: a brush %1 pixels wide, colour %2.</translation>
    </message>
    <message>
        <source>筆で描く(&amp;B)</source>
        <translation>Paint with a &amp;Brush</translation>
    </message>
    <message>
        <source>人形の棚を開く(&amp;S)</source>
        <translation>Open the Doll &amp;Shelf</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;b&gt;%1&lt;/b&gt; バージョン %2&lt;/p&gt;&lt;p&gt;回って開く入れ子人形のおもちゃです。&lt;br&gt;ライセンス: GNU GPL 第 3 版以降 (GPL-3.0-or-later)&lt;/p&gt;&lt;p&gt;作業フォルダー:&lt;br&gt;%3&lt;/p&gt;&lt;p&gt;ビューに絵をドロップ: 見えている人形のその面に貼る&lt;br&gt;人形の縁をドラッグ: 見えている人形の形を変える (Esc で取り消し)&lt;br&gt;メニューの「筆で描く」: 見えている人形の肌に筆で描く (Esc で終わる、Ctrl+クリックで色を拾う)&lt;br&gt;メニューの「人形を閉じる」: 開いた人形を一つ外側まで閉じる&lt;br&gt;メニューの「人形の棚を開く」: ~/Kavinel の人形を見て、切り替え、名前を変え、ごみ箱に移す&lt;br&gt;ほかのプログラムで人形の絵を保存すると、すぐに読み直して見せます&lt;br&gt;Ctrl+Z: 元に戻す、Ctrl+Shift+Z / Ctrl+Y: やり直す&lt;br&gt;ビューを右クリック、またはメニューキー: メニュー&lt;br&gt;Enter / Space: 選んだボタンを押す、F1: この画面&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;%1&lt;/b&gt; version %2&lt;/p&gt;&lt;p&gt;A toy nesting doll that turns and opens.&lt;br&gt;Licence: GNU GPL version 3 or later (GPL-3.0-or-later)&lt;/p&gt;&lt;p&gt;Working folder:&lt;br&gt;%3&lt;/p&gt;&lt;p&gt;Drop a picture on a view: paints that side of the doll shown&lt;br&gt;Drag the doll&apos;s edge: reshapes the doll shown (Esc cancels)&lt;br&gt;“Paint with a Brush” in the menu: paints the skin of the doll shown (Esc ends, Ctrl+click picks a colour)&lt;br&gt;“Close the Doll” in the menu: closes an opened doll by one level&lt;br&gt;“Open the Doll Shelf” in the menu: see, switch, rename and trash the dolls of ~/Kavinel&lt;br&gt;Save a picture of the doll in another program: the doll is read again and shown at once&lt;br&gt;Ctrl+Z: undo, Ctrl+Shift+Z / Ctrl+Y: redo&lt;br&gt;Right-click a view, or the Menu key: the menu&lt;br&gt;Enter / Space: presses the chosen button, F1: this box&lt;/p&gt;</translation>
    </message>
    <message>
        <source>カヴィネル</source>
        <translation>Kavinel</translation>
    </message>
    <message>
        <source>入れ子の %1 番目の人形 (輪郭 %2、肌 %3)</source>
        <translation>Doll %1 of the nest (outline %2, skin %3)</translation>
    </message>
    <message>
        <source>%1 はまだないので、外側の人形の %2 を使っています</source>
        <translation>%1 does not exist yet, so the outer doll&apos;s %2 is used</translation>
    </message>
    <message>
        <source>絵 (%1);;すべてのファイル (*)</source>
        <translation>Pictures (%1);;All Files (*)</translation>
    </message>
    <message>
        <source>人形ファイル (*.kavinel *.KAVINEL);;すべてのファイル (*)</source>
        <translation>Doll Files (*.kavinel *.KAVINEL);;All Files (*)</translation>
    </message>
    <message>
        <source>%1。陰影 %2 (0〜%3)。入れ子の %4 番目の人形です。</source>
        <translation>%1. Shade %2 (0 to %3). Doll %4 of the nest.</translation>
    </message>
    <message>
        <source>絵を貼る(&amp;P)…</source>
        <translation>&amp;Paste a Picture…</translation>
    </message>
    <message>
        <source>静かに動かす(&amp;Q)</source>
        <translation>Animate &amp;Quietly</translation>
    </message>
    <message>
        <source>絵を貼る</source>
        <translation>Paste a Picture</translation>
    </message>
    <message>
        <source>左回りに回します（もう一度で止めます）</source>
        <translation>Turn the doll left (again to stop)</translation>
    </message>
    <message>
        <source>右回りに回します（もう一度で止めます）</source>
        <translation>Turn the doll right (again to stop)</translation>
    </message>
    <message>
        <source>人形の絵を読み直します</source>
        <translation>Read the doll&apos;s pictures again</translation>
    </message>
    <message>
        <source>表と裏を outNN.bmp に保存します</source>
        <translation>Save the front and back as outNN.bmp</translation>
    </message>
    <message>
        <source>陰影を切り替えます</source>
        <translation>Change the shading</translation>
    </message>
    <message>
        <source>人形を開いて中の人形を見せます</source>
        <translation>Open the doll to show the one inside</translation>
    </message>
    <message>
        <source>新しい人形(&amp;N)</source>
        <translation>&amp;New Doll</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>メニューバー</source>
        <translation>Menu bar</translation>
    </message>
    <message>
        <source>人形(&amp;D)</source>
        <translation>&amp;Doll</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>描く(&amp;P)</source>
        <translation>&amp;Paint</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>人形を書き出しました: %1</source>
        <translation>The doll was exported to %1</translation>
    </message>
    <message>
        <source>フォルダーを表示(&amp;S)</source>
        <translation>&amp;Show in Folder</translation>
    </message>
    <message>
        <source>塗りつぶしています: 色は %1、許容差 %2。</source>
        <translation>Filling: colour %1, tolerance %2.</translation>
    </message>
    <message>
        <source>鏡で左右に描きます。</source>
        <translation>Mirrored across the axis.</translation>
    </message>
    <message>
        <source>クリップボードに絵がありません。</source>
        <translation>The clipboard holds no picture.</translation>
    </message>
    <message>
        <source>クリップボードの絵</source>
        <translation>the picture on the clipboard</translation>
    </message>
    <message>
        <source>クリップボードの絵を貼る(&amp;V)</source>
        <translation>Paste from C&amp;lipboard</translation>
    </message>
</context>
</TS>
