#pragma once
// The stored description of the wait-time dialog, at 96 pixels per inch.
inline constexpr char SetTimeoutDescription[] = R"(
object FormSetTimeout: TFormSetTimeout
  Left = 407
  Top = 107
  BorderStyle = bsDialog
  Caption = 'Lullwick'
  ClientHeight = 113
  ClientWidth = 225
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
  object PanelTimeout: TPanel
    Left = 8
    Top = 8
    Width = 209
    Height = 65
    BevelInner = bvRaised
    BevelOuter = bvLowered
    TabOrder = 0
    object LabelMsg: TLabel
      Left = 8
      Top = 8
      Width = 192
      Height = 12
      Caption = '設定する待ち時間を指定してください。'
    end
    object LabelTimeout: TLabel
      Left = 24
      Top = 32
      Width = 63
      Height = 20
      AutoSize = False
      Caption = '待ち時間(&W)'
      FocusControl = EditUpDownTimeout
      Layout = tlCenter
    end
    object LabelMinute: TLabel
      Left = 160
      Top = 32
      Width = 17
      Height = 20
      AutoSize = False
      Caption = '分'
      Layout = tlCenter
    end
    object EditUpDownTimeout: TEditUpDown
      Left = 96
      Top = 32
      Width = 57
      Height = 21
      Max = 9999
      Min = 1
      Position = 1
    end
  end
  object ButtonCancel: TButton
    Left = 152
    Top = 80
    Width = 67
    Height = 25
    Cancel = True
    Caption = 'キャンセル'
    TabOrder = 2
    OnClick = ButtonCancelClick
  end
  object ButtonOK: TButton
    Left = 80
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
