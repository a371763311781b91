#pragma once
// The stored description of the main form, at 96 pixels per inch.
#include "Version.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace main_description {

// Joins string literals at compile time, so the version comes from its one source.
template <std::size_t... N>
constexpr auto Join(const char (&... parts)[N])
{
    std::array<char, (N + ...) - sizeof...(N) + 1> joined{};
    std::size_t at = 0;
    ((std::copy_n(parts, N - 1, joined.begin() + at), at += N - 1), ...);
    return joined;
}

} // namespace main_description

inline constexpr char MainDescriptionHead[] = R"(
object FormMain: TFormMain
  Left = 192
  Top = 107
  BorderStyle = bsDialog
  Caption = 'Lullwick'
  ClientHeight = 208
  ClientWidth = 274
  Color = clBtnFace
  Font.Charset = SHIFTJIS_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = 'ＭＳ Ｐゴシック'
  Font.Style = []
  Position = poScreenCenter
  ShowHint = True
  OnClose = FormClose
  OnCreate = FormCreate
  OnDestroy = FormDestroy
  PixelsPerInch = 96
  TextHeight = 12
  object TrayIcon: TTrayIcon
    Icon = MAINICON
    RBPopupMenu = PopupMenu
    TipHelp = 'TipHelp'
    OnClick = ppVersionClick
    OnDblClick = ppExecuteClick
    OnMouseMove = TrayIconMouseMove
  end
  object PanelVersion: TPanel
    Left = 8
    Top = 8
    Width = 257
    Height = 161
    BevelInner = bvRaised
    BevelOuter = bvLowered
    TabOrder = 0
    object ImageIcon: TImage
      Left = 112
      Top = 88
      Width = 32
      Height = 32
      AutoSize = True
      Picture.Icon = MAINICON
    end
    object LabelTitle: TLabel
      Left = 8
      Top = 24
      Width = 241
      Height = 25
      Alignment = taCenter
      AutoSize = False
      Caption = 'Lullwick'
      Font.Charset = SHIFTJIS_CHARSET
      Font.Color = clWindowText
      Font.Height = -16
      Font.Name = 'ＭＳ Ｐゴシック'
      Font.Style = [fsBold]
      ParentFont = False
    end
    object Label3: TLabel
      Left = 8
      Top = 64
      Width = 241
      Height = 12
      Alignment = taCenter
      AutoSize = False
      Caption = 'for Windows 10/11'
    end
    object LabelCopyright: TLabel
      Left = 8
      Top = 136
      Width = 241
      Height = 12
      Alignment = taCenter
      AutoSize = False
      Caption = 'Copyright (C) 2026 Lullwick Project'
    end
    object LabelVersion: TLabel
      Left = 8
      Top = 40
      Width = 241
      Height = 17
      Alignment = taCenter
      AutoSize = False
      Caption = 'Ver.)";
// The version label's caption goes on after the version.
inline constexpr char MainDescriptionTail[] = R"('
      Font.Charset = SHIFTJIS_CHARSET
      Font.Color = clWindowText
      Font.Height = -16
      Font.Name = 'ＭＳ Ｐゴシック'
      Font.Style = [fsBold]
      ParentFont = False
    end
  end
  object ButtonClose: TButton
    Left = 192
    Top = 176
    Width = 75
    Height = 25
    Cancel = True
    Caption = '閉じる'
    TabOrder = 1
    OnClick = ButtonCloseClick
  end
  object PopupMenu: TPopupMenu
    AutoHotkeys = maManual
    OnPopup = PopupMenuPopup
    object ppStatus: TMenuItem
      Caption = '＜現在の状態　：　？？＞'
      OnClick = ppStatusClick
    end
    object ppTimeout: TMenuItem
      Caption = '＜待ち時間　：　??分＞ ...'
      OnClick = ppTimeoutClick
    end
    object ppExecute: TMenuItem
      Caption = 'スクリーンセーバー起動'
      OnClick = ppExecuteClick
    end
    object ppDisplay: TMenuItem
      Caption = '画面を消さない（スリープ防止）'
      OnClick = ppDisplayClick
    end
    object ppHoldFor: TMenuItem
      Caption = '一時的に無効にする'
      object ppHold30: TMenuItem
        Caption = '30分'
        Tag = 30
        OnClick = ppHoldClick
      end
      object ppHold60: TMenuItem
        Caption = '1時間'
        Tag = 60
        OnClick = ppHoldClick
      end
      object ppHold120: TMenuItem
        Caption = '2時間'
        Tag = 120
        OnClick = ppHoldClick
      end
      object ppHold240: TMenuItem
        Caption = '4時間'
        Tag = 240
        OnClick = ppHoldClick
      end
      object ppHoldCustom: TMenuItem
        Caption = '時間を指定 ...'
        OnClick = ppHoldCustomClick
      end
      object ppHoldApp: TMenuItem
        Caption = 'アプリの終了まで ...'
        OnClick = ppHoldAppClick
      end
      object ppHoldSplit: TMenuItem
        Caption = '-'
      end
      object ppHoldCancel: TMenuItem
        Caption = '自動で元に戻すのをやめる（無効のまま）'
        OnClick = ppHoldCancelClick
      end
    end
    object ppSplit1: TMenuItem
      Caption = '-'
    end
    object ppHotKey: TMenuItem
      Caption = 'ホットキー（なし） ...'
      OnClick = ppHotKeyClick
    end
    object ppSignIn: TMenuItem
      Caption = 'サインイン時に起動する'
      OnClick = ppSignInClick
    end
    object ppSplit3: TMenuItem
      Caption = '-'
    end
    object ppVersion: TMenuItem
      Caption = 'バージョン情報 ...'
      OnClick = ppVersionClick
    end
    object ppHelp: TMenuItem
      Caption = 'ヘルプ'
      OnClick = ppHelpClick
    end
    object ppSplit2: TMenuItem
      Caption = '-'
    end
    object ppExit: TMenuItem
      Caption = '終了'
      OnClick = ppExitClick
    end
  end
end
)";

inline constexpr auto MainDescription =
    main_description::Join(MainDescriptionHead, ProgramVersion, MainDescriptionTail);
