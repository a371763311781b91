#pragma once
// The stored description of the hotkey dialog, at 96 pixels per inch.
inline constexpr char HotKeyDialogDescription[] = R"(
object FormHotKey: TFormHotKey
  Left = 407
  Top = 107
  BorderStyle = bsDialog
  Caption = 'Lullwick'
  ClientHeight = 113
  ClientWidth = 417
  Color = clBtnFace
  Font.Charset = SHIFTJIS_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = 'ＭＳ Ｐゴシック'
  Font.Style = []
  Position = poScreenCenter
  OnClose = FormClose
  PixelsPerInch = 96
  TextHeight = 12
  object PanelHotKey: TPanel
    Left = 8
    Top = 8
    Width = 401
    Height = 65
    BevelInner = bvRaised
    BevelOuter = bvLowered
    TabOrder = 0
    object LabelMsg: TLabel
      Left = 8
      Top = 8
      Width = 385
      Height = 12
      Caption = 'スクリーンセーバーの有効／無効を切り替えるキーを押してください。'
    end
    object LabelHotKey: TLabel
      Left = 24
      Top = 32
      Width = 81
      Height = 21
      AutoSize = False
      Caption = 'ホットキー(&K)'
      FocusControl = HotKeyEdit
      Layout = tlCenter
    end
    object HotKeyEdit: THotKey
      Left = 112
      Top = 32
      Width = 185
      Height = 21
      HotKey = 0
      InvalidKeys = [hcNone, hcShift, hcCtrl, hcAlt]
      Modifiers = [hkCtrl, hkAlt]
      TabOrder = 0
    end
    object ButtonNone: TButton
      Left = 312
      Top = 30
      Width = 75
      Height = 25
      Caption = 'なし(&N)'
      TabOrder = 1
      OnClick = ButtonNoneClick
    end
  end
  object ButtonCancel: TButton
    Left = 344
    Top = 80
    Width = 67
    Height = 25
    Cancel = True
    Caption = 'キャンセル'
    TabOrder = 2
    OnClick = ButtonCancelClick
  end
  object ButtonOK: TButton
    Left = 272
    Top = 80
    Width = 67
    Height = 25
    Caption = 'OK'
    Default = True
    TabOrder = 1
    OnClick = ButtonOKClick
  end
end
)";
