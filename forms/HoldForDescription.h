#pragma once
// The stored description of the hold dialog, at 96 pixels per inch.
inline constexpr char HoldForDescription[] = R"(
object FormHoldFor: TFormHoldFor
  Left = 407
  Top = 107
  BorderStyle = bsDialog
  Caption = 'Lullwick'
  ClientHeight = 113
  ClientWidth = 345
  Color = clBtnFace
  Font.Charset = SHIFTJIS_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = 'ＭＳ Ｐゴシック'
  Font.Style = []
  KeyPreview = True
  Position = poScreenCenter
  OnKeyPress = FormKeyPress
  OnShow = FormShow
  PixelsPerInch = 96
  TextHeight = 12
  object PanelHold: TPanel
    Left = 8
    Top = 8
    Width = 329
    Height = 65
    BevelInner = bvRaised
    BevelOuter = bvLowered
    TabOrder = 0
    object LabelMsg: TLabel
      Left = 8
      Top = 8
      Width = 312
      Height = 12
      Caption = 'スクリーンセーバーを無効にしておく時間を指定してください。'
    end
    object LabelMinutes: TLabel
      Left = 24
      Top = 32
      Width = 129
      Height = 20
      AutoSize = False
      Caption = '無効にしておく時間(&M)'
      FocusControl = EditUpDownMinutes
      Layout = tlCenter
    end
    object LabelMinute: TLabel
      Left = 224
      Top = 32
      Width = 17
      Height = 20
      AutoSize = False
      Caption = '分'
      Layout = tlCenter
    end
    object EditUpDownMinutes: TEditUpDown
      Left = 160
      Top = 32
      Width = 57
      Height = 21
      Max = 1440
      Min = 1
      Position = 60
    end
  end
  object ButtonCancel: TButton
    Left = 272
    Top = 80
    Width = 67
    Height = 25
    Cancel = True
    Caption = 'キャンセル'
    TabOrder = 2
    OnClick = ButtonCancelClick
  end
  object ButtonOK: TButton
    Left = 200
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
